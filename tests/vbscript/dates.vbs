' Dates and times: the part functions, DateSerial/TimeSerial, DateAdd,
' DateDiff, DatePart, DateValue/TimeValue, CDate/IsDate texts, CStr and
' FormatDateTime, the names, and the clock. Prints each failed check and a
' summary; the exit code is the number of failures.
Option Explicit
Dim passed, failed
passed = 0 : failed = 0

Sub Check(what, actual, expected)
    Dim a
    If IsNull(actual) Then
        a = "Null"
    ElseIf IsEmpty(actual) Then
        a = "Empty"
    Else
        a = CStr(actual)
    End If
    If a = expected Then
        passed = passed + 1
    Else
        failed = failed + 1
        WScript.Echo "FAIL " & what & ": got [" & a & "] expected [" & expected & "]"
    End If
End Sub

Sub CheckError(what, number)
    If Err.Number = number Then
        passed = passed + 1
    Else
        failed = failed + 1
        WScript.Echo "FAIL " & what & ": error " & Err.Number & " expected " & number
    End If
    Err.Clear
End Sub

Dim d, x
d = #12/25/2026 10:30:15 PM#

' Parts of a date, and Null in, Null out.
Check "Year", Year(d), "2026"
Check "Month", Month(d), "12"
Check "Day", Day(d), "25"
Check "Hour", Hour(d), "22"
Check "Minute", Minute(d), "30"
Check "Second", Second(d), "15"
Check "Year type", TypeName(Year(d)), "Integer"
Check "Weekday", Weekday(d), "6"
Check "Weekday from Monday", Weekday(d, vbMonday), "5"
Check "Year of text", Year("Dec 25, 2026"), "2026"
Check "Year of Null", Year(Null), "Null"
Check "Empty is day zero", Year(Empty) & "-" & Month(Empty) & "-" & Day(Empty), "1899-12-30"

' CStr of dates: date only, time only, or both.
Check "CStr date", CStr(DateSerial(2026, 12, 25)), "12/25/2026"
Check "CStr time", CStr(TimeSerial(22, 30, 0)), "10:30:00 PM"
Check "CStr both", CStr(d), "12/25/2026 10:30:15 PM"
Check "CStr zero", CStr(CDate(0)), "12:00:00 AM"
Check "negative date", CStr(CDate(-1.5)), "12/29/1899 12:00:00 PM"

' DateSerial and TimeSerial carry out-of-range parts.
Check "month 13", DateSerial(2026, 13, 1), "1/1/2027"
Check "day 0", DateSerial(2026, 3, 0), "2/28/2026"
Check "negative parts", DateSerial(2026, -1, -1), "10/30/2025"
Check "two-digit year 29", DateSerial(29, 1, 1), "1/1/2029"
Check "two-digit year 30", DateSerial(30, 1, 1), "1/1/1930"
Check "TimeSerial carry", TimeSerial(12 - 6, -15, 0), "5:45:00 AM"
Check "TimeSerial type", TypeName(TimeSerial(1, 2, 3)), "Date"
On Error Resume Next
x = DateSerial(10000, 1, 1)
CheckError "DateSerial past 9999", 5
On Error GoTo 0

' DateAdd.
Check "add month clamps", DateAdd("m", 1, #1/31/2026#), "2/28/2026"
Check "add month leap", DateAdd("m", 1, #1/31/2024#), "2/29/2024"
Check "add years", DateAdd("yyyy", -1, #2/29/2024#), "2/28/2023"
Check "add quarter", DateAdd("q", 2, #5/15/2026#), "11/15/2026"
Check "add days", DateAdd("d", 10, #12/25/2026#), "1/4/2027"
Check "add weeks", DateAdd("ww", 1, #12/25/2026#), "1/1/2027"
Check "add hours", DateAdd("h", 3, d), "12/26/2026 1:30:15 AM"
Check "add minutes", DateAdd("n", -31, #1/1/2026#), "12/31/2025 11:29:00 PM"
Check "add seconds", DateAdd("s", 45, d), "12/25/2026 10:31:00 PM"
Check "add to text", DateAdd("d", 1, "12/31/2026"), "1/1/2027"
On Error Resume Next
x = DateAdd("x", 1, d)
CheckError "bad interval", 5
x = DateAdd("yyyy", 1, #6/1/9999#)
CheckError "past the last date", 5
x = DateAdd("d", 1, "not a date")
CheckError "text that is no date", 13
On Error GoTo 0

' DateDiff counts boundaries.
Check "diff days", DateDiff("d", #1/1/2026#, #12/25/2026#), "358"
Check "diff negative", DateDiff("d", #12/25/2026#, #1/1/2026#), "-358"
Check "diff years at New Year", DateDiff("yyyy", #12/31/2025 11:59:59 PM#, #1/1/2026#), "1"
Check "diff months", DateDiff("m", #1/31/2026#, #3/1/2026#), "2"
Check "diff quarters", DateDiff("q", #3/31/2026#, #4/1/2026#), "1"
Check "diff hours", DateDiff("h", #1:59:00 AM#, #2:00:00 AM#), "1"
Check "diff minutes", DateDiff("n", #10:00:00 AM#, #11:30:00 AM#), "90"
Check "diff seconds", DateDiff("s", #10:00:00 AM#, #10:01:05 AM#), "65"
Check "diff w", DateDiff("w", #1/1/2026#, #1/20/2026#), "2"
Check "diff ww", DateDiff("ww", #1/1/2026#, #1/20/2026#), "3"
Check "diff ww from Thursday", DateDiff("ww", #1/1/2026#, #1/20/2026#, vbThursday), "2"
Check "diff type", TypeName(DateDiff("d", #1/1/2026#, #1/2/2026#)), "Long"

' DatePart.
Check "part yyyy", DatePart("yyyy", d), "2026"
Check "part q", DatePart("q", d), "4"
Check "part y", DatePart("y", d), "359"
Check "part w", DatePart("w", d), "6"
Check "part ww", DatePart("ww", d), "52"
Check "part ww last day", DatePart("ww", #12/31/2026#), "53"
Check "part ww four days", DatePart("ww", #1/4/2026#, vbMonday, vbFirstFourDays), "1"
Check "part ww full week", DatePart("ww", #1/1/2026#, vbSunday, vbFirstFullWeek), "52"
Check "part h n s", DatePart("h", d) & ":" & DatePart("n", d) & ":" & DatePart("s", d), "22:30:15"

' Text in: DateValue, TimeValue, CDate, IsDate.
Check "DateValue", DateValue("12/25/2026 10:30 PM"), "12/25/2026"
Check "TimeValue", TimeValue("12/25/2026 10:30 PM"), "10:30:00 PM"
Check "ISO date", CDate("2026-12-25"), "12/25/2026"
Check "month name first", CDate("Dec 25, 2026"), "12/25/2026"
Check "day first", CDate("25 December 2026"), "12/25/2026"
Check "24-hour time", CDate("22:30:15"), "10:30:15 PM"
Check "date and time", CDate("12/25/2026 22:30"), "12/25/2026 10:30:00 PM"
Check "IsDate text", IsDate("December 25, 2026"), "True"
Check "IsDate time", IsDate("10:30 PM"), "True"
Check "IsDate bad day", IsDate("2/30/2026"), "False"
Check "IsDate word", IsDate("hello"), "False"
Check "IsDate number", IsDate(12), "False"

' FormatDateTime and the names.
Check "vbGeneralDate", FormatDateTime(d, vbGeneralDate), "12/25/2026 10:30:15 PM"
Check "vbLongDate", FormatDateTime(d, vbLongDate), "Friday, December 25, 2026"
Check "vbShortDate", FormatDateTime(d, vbShortDate), "12/25/2026"
Check "vbLongTime", FormatDateTime(d, vbLongTime), "10:30:15 PM"
Check "vbShortTime", FormatDateTime(d, vbShortTime), "22:30"
Check "FormatDateTime default", FormatDateTime(#1/2/2026#), "1/2/2026"
Check "MonthName", MonthName(2), "February"
Check "MonthName short", MonthName(9, True), "Sep"
Check "WeekdayName", WeekdayName(1), "Sunday"
Check "WeekdayName short from Monday", WeekdayName(1, True, vbMonday), "Mon"
On Error Resume Next
x = MonthName(13)
CheckError "MonthName 13", 5
x = FormatDateTime(d, 7)
CheckError "unknown format", 5
On Error GoTo 0

' The clock.
Check "Now type", TypeName(Now), "Date"
Check "Date has no time", TimeValue(Date), "12:00:00 AM"
Check "Time has no date", Year(Time), "1899"
Check "Date is today", DateDiff("d", Date, Now) <= 1, "True"
Check "Timer range", Timer >= 0 And Timer < 86400, "True"
Check "Timer type", TypeName(Timer), "Single"

WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
