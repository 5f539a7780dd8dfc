' Check, CheckError and Done are shared by every script: they live in check.inc.
ExecuteGlobal CreateObject("Scripting.FileSystemObject").OpenTextFile(Replace(WScript.ScriptFullName, WScript.ScriptName, "check.inc")).ReadAll
' ---- checks
' Dates and times: the part functions, DateSerial/TimeSerial, DateAdd,
' DateDiff, DatePart, DateValue/TimeValue, CDate/IsDate texts, CStr and
' FormatDateTime, the names, and the clock.
Dim d
d = #12/25/2026 10:30:15 PM#

' Parts of a date; Null in, Null out.
Check "year", Year(d), CInt(2026)
Check "month", Month(d), CInt(12)
Check "day", Day(d), CInt(25)
Check "hour", Hour(d), CInt(22)
Check "minute", Minute(d), CInt(30)
Check "second", Second(d), CInt(15)
Check "weekday", Weekday(d), CInt(6)
Check "weekday from monday", Weekday(d, vbMonday), CInt(5)
Check "year of text", Year("Dec 25, 2026"), CInt(2026)
Check "year of null", Year(Null), Null
Check "weekday of null", Weekday(Null), Null
Check "empty is day zero", Year(Empty) & "-" & Month(Empty) & "-" & Day(Empty), "1899-12-30"
Check "second rounds", Second(CDate(0.5 + 1.6 / 86400)), CInt(2)
CheckError "weekday bad first day", "x = Weekday(Now, 8)", 5
CheckError "year of a word", "x = Year(""soon"")", 13

' CStr of dates: date only, time only, or both.
Check "cstr date", CStr(DateSerial(2026, 12, 25)), "12/25/2026"
Check "cstr time", CStr(TimeSerial(22, 30, 0)), "10:30:00 PM"
Check "cstr both", CStr(d), "12/25/2026 10:30:15 PM"
Check "cstr zero", CStr(CDate(0)), "12:00:00 AM"
Check "cstr noon", CStr(CDate(0.5)), "12:00:00 PM"
Check "negative date", CStr(CDate(-1.5)), "12/29/1899 12:00:00 PM"
Check "first year", CStr(DateSerial(100, 1, 1)), "1/1/100"

' DateSerial and TimeSerial carry out-of-range parts.
Check "dateserial type", DateSerial(2026, 12, 25), #12/25/2026#
Check "month 13", DateSerial(2026, 13, 1), #1/1/2027#
Check "day 0", DateSerial(2026, 3, 0), #2/28/2026#
Check "negative parts", DateSerial(2026, -1, -1), #10/30/2025#
Check "day 400", DateSerial(2026, 1, 400), #2/4/2027#
Check "two-digit year 29", DateSerial(29, 1, 1), #1/1/2029#
Check "two-digit year 30", DateSerial(30, 1, 1), #1/1/1930#
Check "timeserial", TimeSerial(22, 30, 0), #10:30:00 PM#
Check "timeserial carry", TimeSerial(12 - 6, -15, 0), #5:45:00 AM#
Check "timeserial seconds", TimeSerial(0, 0, 90), #12:01:30 AM#
CheckError "dateserial past 9999", "x = DateSerial(10000, 1, 1)", 5
CheckError "dateserial before 100", "x = DateSerial(100, 1, 0)", 5

' DateAdd.
Check "add month clamps", DateAdd("m", 1, #1/31/2026#), #2/28/2026#
Check "add month leap", DateAdd("m", 1, #1/31/2024#), #2/29/2024#
Check "add years", DateAdd("yyyy", -1, #2/29/2024#), #2/28/2023#
Check "add quarters", DateAdd("q", 2, #5/15/2026#), #11/15/2026#
Check "add days", DateAdd("d", 10, #12/25/2026#), #1/4/2027#
Check "add y", DateAdd("y", 1, #12/31/2026#), #1/1/2027#
Check "add w", DateAdd("w", 1, #12/31/2026#), #1/1/2027#
Check "add weeks", DateAdd("ww", 1, #12/25/2026#), #1/1/2027#
Check "add hours", DateAdd("h", 3, d), #12/26/2026 1:30:15 AM#
Check "add minutes", DateAdd("n", -31, #1/1/2026#), #12/31/2025 11:29:00 PM#
Check "add seconds", DateAdd("s", 45, d), #12/25/2026 10:31:00 PM#
Check "add to text", DateAdd("d", 1, "12/31/2026"), #1/1/2027#
Check "add interval any case", DateAdd("YYYY", 1, #1/1/2026#), #1/1/2027#
Check "add to null", DateAdd("d", 1, Null), Null
CheckError "bad interval", "x = DateAdd(""x"", 1, Now)", 5
CheckError "past the last date", "x = DateAdd(""yyyy"", 1, #6/1/9999#)", 5
CheckError "text that is no date", "x = DateAdd(""d"", 1, ""not a date"")", 13

' DateDiff counts the boundaries between the dates.
Check "diff days", DateDiff("d", #1/1/2026#, #12/25/2026#), CLng(358)
Check "diff negative", DateDiff("d", #12/25/2026#, #1/1/2026#), CLng(-358)
Check "diff days by midnights", DateDiff("d", #1/1/2026 11:00 PM#, #1/2/2026 1:00 AM#), CLng(1)
Check "diff years at new year", DateDiff("yyyy", #12/31/2025 11:59:59 PM#, #1/1/2026#), CLng(1)
Check "diff months", DateDiff("m", #1/31/2026#, #3/1/2026#), CLng(2)
Check "diff quarters", DateDiff("q", #3/31/2026#, #4/1/2026#), CLng(1)
Check "diff hours", DateDiff("h", #1:59:00 AM#, #2:00:00 AM#), CLng(1)
Check "diff minutes", DateDiff("n", #10:00:00 AM#, #11:30:00 AM#), CLng(90)
Check "diff seconds", DateDiff("s", #10:00:00 AM#, #10:01:05 AM#), CLng(65)
Check "diff w", DateDiff("w", #1/1/2026#, #1/20/2026#), CLng(2)
Check "diff ww", DateDiff("ww", #1/1/2026#, #1/20/2026#), CLng(3)
Check "diff ww from thursday", DateDiff("ww", #1/1/2026#, #1/20/2026#, vbThursday), CLng(2)
Check "diff with null", DateDiff("d", Null, Now), Null

' DatePart.
Check "part yyyy", DatePart("yyyy", d), CInt(2026)
Check "part q", DatePart("q", d), CInt(4)
Check "part m", DatePart("m", d), CInt(12)
Check "part y", DatePart("y", d), CInt(359)
Check "part d", DatePart("d", d), CInt(25)
Check "part w", DatePart("w", d), CInt(6)
Check "part ww", DatePart("ww", d), CInt(52)
Check "part ww last day", DatePart("ww", #12/31/2026#), CInt(53)
Check "part ww four days", DatePart("ww", #1/4/2026#, vbMonday, vbFirstFourDays), CInt(1)
Check "part ww full week", DatePart("ww", #1/1/2026#, vbSunday, vbFirstFullWeek), CInt(52)
Check "part h n s", DatePart("h", d) & ":" & DatePart("n", d) & ":" & DatePart("s", d), "22:30:15"
CheckError "part bad first week", "x = DatePart(""ww"", Now, 1, 4)", 5

' Text in: DateValue, TimeValue, CDate, IsDate.
Check "datevalue", DateValue("12/25/2026 10:30 PM"), #12/25/2026#
Check "timevalue", TimeValue("12/25/2026 10:30 PM"), #10:30:00 PM#
Check "datevalue of a date", DateValue(d), #12/25/2026#
Check "iso date", CDate("2026-12-25"), #12/25/2026#
Check "month name first", CDate("Dec 25, 2026"), #12/25/2026#
Check "day first", CDate("25 December 2026"), #12/25/2026#
Check "long date text", CDate("Friday, December 25, 2026"), #12/25/2026#
Check "day that cannot be a month", CDate("25/12/2026"), #12/25/2026#
Check "24-hour time", CDate("22:30:15"), #10:30:15 PM#
Check "date and time", CDate("12/25/2026 22:30"), #12/25/2026 10:30:00 PM#
Check "isdate text", IsDate("December 25, 2026"), True
Check "isdate time", IsDate("10:30 PM"), True
Check "isdate bad day", IsDate("2/30/2026"), False
Check "isdate word", IsDate("hello"), False
Check "isdate bad hour", IsDate("25:00"), False
CheckError "cdate of a word", "x = CDate(""tomorrow"")", 13

' FormatDateTime and the names.
Check "vbgeneraldate", FormatDateTime(d, vbGeneralDate), "12/25/2026 10:30:15 PM"
Check "vblongdate", FormatDateTime(d, vbLongDate), "Friday, December 25, 2026"
Check "vbshortdate", FormatDateTime(d, vbShortDate), "12/25/2026"
Check "vblongtime", FormatDateTime(d, vbLongTime), "10:30:15 PM"
Check "vbshorttime", FormatDateTime(d, vbShortTime), "22:30"
Check "short time pads", FormatDateTime(#7:05:00 AM#, 4), "07:05"
Check "formatdatetime default", FormatDateTime(#1/2/2026#), "1/2/2026"
Check "formatdatetime of text", FormatDateTime("2026-12-25", vbLongDate), "Friday, December 25, 2026"
Check "monthname", MonthName(2), "February"
Check "monthname short", MonthName(9, True), "Sep"
Check "weekdayname", WeekdayName(1), "Sunday"
Check "weekdayname short from monday", WeekdayName(1, True, vbMonday), "Mon"
CheckError "monthname 13", "x = MonthName(13)", 5
CheckError "weekdayname 0", "x = WeekdayName(0)", 5
CheckError "unknown format", "x = FormatDateTime(Now, 7)", 5

' The clock.
Check "now type", TypeName(Now), "Date"
Check "date has no time", TimeValue(Date), #12:00:00 AM#
Check "time has no date", DateValue(Time), #12/30/1899#
Check "date is today", DateDiff("d", Date, Now) <= 1, True
Check "timer range", Timer >= 0 And Timer < 86400, True
Check "timer type", TypeName(Timer), "Single"
Check "constants", vbSunday + vbSaturday + vbFirstFullWeek + vbShortTime, CLng(15)
Done
