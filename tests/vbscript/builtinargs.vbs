ExecuteGlobal CreateObject("Scripting.FileSystemObject").OpenTextFile(Replace(WScript.ScriptFullName, WScript.ScriptName, "check.inc")).ReadAll
' The string built-ins: a number argument is checked first (Null 94, out of
' range 5), then a Null text gives Null; Empty is 0 or "".
Dim nulls : nulls = Array("InStr(Null, ""a"")", "InStr(1, ""a"", Null)", "InStrRev(Null, ""a"")", "Split(Null)", _
    "Split(""a"", Null)", "Replace(Null, ""a"", ""b"")", "Replace(""a"", ""a"", Null)", "Mid(Null, 1)", "Left(Null, 1)", _
    "Right(Null, 1)", "String(2, Null)", "LCase(Null)", "Len(Null)", "StrComp(Null, ""a"")", "Hex(Null)")
Dim c
For Each c In nulls : Check c, Eval(c), Null : Next
Dim errors : errors = Array( _
    Array("InStr(Null, ""a"", ""b"")", 94), Array("InStr(0, Null, ""b"")", 5), Array("InStr(1, ""a"", ""b"", Null)", 94), _
    Array("InStr(Empty, ""a"", ""a"")", 5), Array("InStrRev(""a"", ""a"", Null)", 94), Array("InStrRev(Null, ""a"", 0)", 5), _
    Array("InStrRev(""a"", ""a"", -2)", 5), Array("Split(""a"", "" "", Null)", 94), Array("Split(Null, "" "", -2)", 5), _
    Array("Replace(""a"", ""a"", ""b"", Null)", 94), Array("Replace(Null, ""a"", ""b"", 0)", 5), _
    Array("Replace(""a"", ""a"", ""b"", 1, -2)", 5), Array("Mid(""abc"", Null)", 94), Array("Mid(Null, 0)", 5), _
    Array("Mid(""abc"", 1, -1)", 5), Array("Left(""a"", Null)", 94), Array("Left(Null, -1)", 5), Array("Right(Null, -1)", 5), _
    Array("Space(Null)", 94), Array("Space(-1)", 5), Array("String(-1, ""a"")", 5), Array("String(2, """")", 5), _
    Array("MonthName(Null)", 94), Array("MonthName(0)", 5), Array("MonthName(13)", 5), Array("MonthName(1, Null)", 94), _
    Array("WeekdayName(Null)", 94), Array("WeekdayName(8)", 5), Array("WeekdayName(1, False, 8)", 5), _
    Array("FormatNumber(Null)", 94), Array("FormatNumber(""abc"")", 13), Array("FormatNumber(1, -2)", 5), _
    Array("FormatCurrency(Null)", 94), Array("FormatCurrency(1, Null)", 94), Array("FormatPercent(Null)", 94), _
    Array("FormatPercent(""x"")", 13), Array("StrReverse(Null)", 94), Array("Asc("""")", 5), Array("Chr(256)", 5))
For Each c In errors : CheckError c(0), "x = " & c(0), c(1) : Next
Dim values : values = Array( _
    Array("InStr(1, Empty, Empty)", CLng(0)), Array("InStr(4, ""abcdef"", """")", CLng(4)), Array("InStr(5, ""abc"", """")", CLng(0)), _
    Array("InStrRev(""abc"", """")", CLng(3)), Array("InStrRev(""abc"", ""c"", 9)", CLng(0)), _
    Array("Replace(""a"", ""a"", ""b"", 5)", ""), Array("Mid(""abc"", 5)", ""), Array("Mid(Empty, 1)", ""), _
    Array("Left(""abc"", 2.5)", "ab"), Array("Space(Empty)", ""), Array("String(2, 321)", "AA"), _
    Array("UBound(Split(""""))", CLng(-1)), Array("UBound(Split(""a b"", "" "", 0))", CLng(-1)), Array("MonthName(1, True)", "Jan"), _
    Array("WeekdayName(1, False, 2)", "Monday"), Array("FormatNumber(Empty)", "0.00"))
For Each c In values : Check c(0), Eval(c(0)), c(1) : Next
Done
