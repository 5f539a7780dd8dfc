Dim failures, checks : failures = 0 : checks = 0
Sub Check(label, actual, expected)
    Dim ok
    checks = checks + 1
    If IsNull(expected) Then
        ok = IsNull(actual)
    ElseIf IsNull(actual) Or IsObject(actual) Or IsArray(actual) Then
        ok = False
    Else
        ok = (TypeName(actual) = TypeName(expected))
        If ok Then ok = (actual = expected)
    End If
    If Not ok Then
        failures = failures + 1
        WScript.Echo "FAIL " & label & ": got [" & actual & "] " & TypeName(actual) & ", expected [" & expected & "] " & TypeName(expected)
    End If
End Sub
Sub CheckError(label, code, number)
    Dim n, d
    checks = checks + 1
    On Error Resume Next
    ExecuteGlobal code
    n = Err.Number : d = Err.Description
    On Error GoTo 0
    If n <> number Then
        failures = failures + 1
        WScript.Echo "FAIL " & label & ": error " & n & " (" & d & "), expected " & number
    End If
End Sub
Sub Done()
    If failures > 0 Then
        WScript.Echo failures & " of " & checks & " checks failed"
        WScript.Quit 1
    End If
    WScript.Echo checks & " checks passed"
End Sub

' Check, CheckError and Done are shared by every script: they live in check.inc.
' ---- checks
' Number text: CStr of Double, Single and Currency; FormatNumber,
' FormatPercent and FormatCurrency with their options; numeric text as
' IsNumeric and CDbl read it.

' CStr of numbers.
Check "fifteen digits", CStr(1 / 3), "0.333333333333333"
Check "no float noise", CStr(0.1 + 0.2), "0.3"
Check "1e15", CStr(1E+15), "1E+15"
Check "below 1e15", CStr(123456789012345), "123456789012345"
Check "rounded to 15 digits", CStr(1234567890123456), "1.23456789012346E+15"
Check "small", CStr(1.5E-07), "1.5E-07"
Check "1e-4 stays plain", CStr(-0.0001), "-0.0001"
Check "1e-5 turns", CStr(0.00001), "1E-05"
Check "large", CStr(1E+300 * 10), "1E+301"
Check "single", CStr(CSng(1 / 3)), "0.3333333"
Check "single pi", CStr(CSng(3.14159265)), "3.141593"
Check "single large", CStr(CSng(1E+20)), "1E+20"
Check "currency", CStr(CCur(1.23456)), "1.2346"
Check "currency trims zeros", CStr(CCur(-12.5)), "-12.5"
Check "currency whole", CStr(CCur(7)), "7"
Check "concatenation uses cstr", "x" & 2.5, "x2.5"

' FormatNumber: two decimals and grouping by default, halves away from zero.
Check "default", FormatNumber(1234567.891), "1,234,567.89"
Check "zero", FormatNumber(0), "0.00"
Check "zero decimals", FormatNumber(2.5, 0), "3"
Check "negative half", FormatNumber(-2.5, 0), "-3"
Check "decimal text rounding", FormatNumber(2.675, 2), "2.68"
Check "carry", FormatNumber(999.999), "1,000.00"
Check "no leading digit", FormatNumber(0.5, 2, vbFalse), ".50"
Check "leading digit", FormatNumber(0.5, 2, vbTrue), "0.50"
Check "parentheses", FormatNumber(-1234.5, 2, vbTrue, vbTrue), "(1,234.50)"
Check "no grouping", FormatNumber(1234.5, 1, vbTrue, vbFalse, vbFalse), "1234.5"
Check "locale digits", FormatNumber(1.23456, -1), "1.23"
Check "many digits", FormatNumber(0.000001, 8), "0.00000100"
Check "text argument", FormatNumber("12.5"), "12.50"
Check "boolean argument", FormatNumber(True, 0), "-1"

' FormatPercent and FormatCurrency.
Check "percent", FormatPercent(0.125), "12.50%"
Check "percent digits", FormatPercent(0.5, 0), "50%"
Check "percent grouping", FormatPercent(12.345, 1), "1,234.5%"
Check "percent parentheses", FormatPercent(-0.5, 1, vbTrue, vbTrue), "(50.0%)"
Check "currency amount", FormatCurrency(1234.5), "$1,234.50"
Check "currency negative", FormatCurrency(-1234.5), "($1,234.50)"
Check "currency minus", FormatCurrency(-0.5, 2, vbTrue, vbFalse), "-$0.50"
Check "currency of currency", FormatCurrency(CCur(3.14159), 3), "$3.142"

CheckError "digits below -1", "x = FormatNumber(1, -2)", 5
CheckError "tristate out of range", "x = FormatNumber(1, 2, 3)", 5
CheckError "text that is no number", "x = FormatNumber(""abc"")", 13
CheckError "null", "x = FormatPercent(Null)", 94
CheckError "too few arguments", "x = FormatCurrency()", 450

' Numeric text.
Check "isnumeric blanks", IsNumeric("  12  "), True
Check "isnumeric exponent", IsNumeric("1e3"), True
Check "isnumeric hex", IsNumeric("&H1F"), True
Check "isnumeric octal", IsNumeric("&O17"), True
Check "isnumeric grouping", IsNumeric("1,234.5"), True
Check "isnumeric dollar", IsNumeric("$12"), True
Check "isnumeric parentheses", IsNumeric("(12)"), True
Check "isnumeric bare point", IsNumeric("."), False
Check "isnumeric two numbers", IsNumeric("1 2"), False
Check "isnumeric two signs", IsNumeric("+-1"), False
Check "isnumeric empty text", IsNumeric(""), False
Check "isnumeric half exponent", IsNumeric("1e"), False
Check "cdbl grouping", CDbl("1,234.5"), 1234.5
Check "cdbl hex", CDbl("&HFF"), CDbl(255)
Check "cdbl hex top bit", CDbl("&H80000000"), CDbl(-2147483648)
Check "cdbl leading point", CDbl("-.5"), -0.5
Check "cdbl parentheses", CDbl("(12)"), CDbl(-12)
Check "cdbl trailing sign", CDbl("12-"), CDbl(-12)
Check "cdbl blanks", CDbl(vbTab & " 7 "), CDbl(7)
CheckError "cdbl of a word", "x = CDbl(""twelve"")", 13
Done
