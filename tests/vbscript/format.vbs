' Number text: CStr of Double, Single and Currency; FormatNumber,
' FormatPercent and FormatCurrency with their options; numeric text read by
' IsNumeric and CDbl. Prints each failed check and a summary; the exit code
' is the number of failures.
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

Dim x

' CStr of numbers.
Check "fifteen digits", CStr(1 / 3), "0.333333333333333"
Check "no float noise", CStr(0.1 + 0.2), "0.3"
Check "1E+15", CStr(1E+15), "1E+15"
Check "below 1E15", CStr(123456789012345), "123456789012345"
Check "rounded to 15 digits", CStr(1234567890123456), "1.23456789012346E+15"
Check "small", CStr(1.5E-07), "1.5E-07"
Check "1E-4 stays plain", CStr(-0.0001), "-0.0001"
Check "1E-5 turns", CStr(0.00001), "1E-05"
Check "Single", CStr(CSng(1 / 3)), "0.3333333"
Check "Single pi", CStr(CSng(3.14159265)), "3.141593"
Check "Currency", CStr(CCur(1.23456)), "1.2346"
Check "Currency trims zeros", CStr(CCur(-12.5)), "-12.5"
Check "concatenation uses CStr", "x" & 2.5, "x2.5"

' FormatNumber: two decimals and grouping by default, halves away from zero.
Check "default", FormatNumber(1234567.891), "1,234,567.89"
Check "zero decimals", FormatNumber(2.5, 0), "3"
Check "negative half", FormatNumber(-2.5, 0), "-3"
Check "decimal text rounding", FormatNumber(2.675, 2), "2.68"
Check "carry", FormatNumber(999.999), "1,000.00"
Check "no leading digit", FormatNumber(0.5, 2, vbFalse), ".50"
Check "parentheses", FormatNumber(-1234.5, 2, vbTrue, vbTrue), "(1,234.50)"
Check "no grouping", FormatNumber(1234.5, 1, vbTrue, vbFalse, vbFalse), "1234.5"
Check "locale digits", FormatNumber(1.23456, -1), "1.23"
Check "text argument", FormatNumber("12.5"), "12.50"
Check "result type", TypeName(FormatNumber(1)), "String"

' FormatPercent and FormatCurrency.
Check "percent", FormatPercent(0.125), "12.50%"
Check "percent digits", FormatPercent(0.5, 0), "50%"
Check "percent parentheses", FormatPercent(-0.5, 1, vbTrue, vbTrue), "(50.0%)"
Check "currency", FormatCurrency(1234.5), "$1,234.50"
Check "currency negative", FormatCurrency(-1234.5), "($1,234.50)"
Check "currency minus", FormatCurrency(-0.5, 2, vbTrue, vbFalse), "-$0.50"
Check "currency of Currency", FormatCurrency(CCur(3.14159), 3), "$3.142"

On Error Resume Next
x = FormatNumber(1, -2)
CheckError "digits below -1", 5
x = FormatNumber(1, 2, 3)
CheckError "tristate out of range", 5
x = FormatNumber("abc")
CheckError "text that is no number", 13
x = FormatNumber(Null)
CheckError "Null", 94
On Error GoTo 0

' Numeric text.
Check "IsNumeric blanks", IsNumeric("  12  "), "True"
Check "IsNumeric exponent", IsNumeric("1e3"), "True"
Check "IsNumeric hex", IsNumeric("&H1F"), "True"
Check "IsNumeric grouping", IsNumeric("1,234.5"), "True"
Check "IsNumeric dollar", IsNumeric("$12"), "True"
Check "IsNumeric bare point", IsNumeric("."), "False"
Check "IsNumeric two numbers", IsNumeric("1 2"), "False"
Check "IsNumeric empty text", IsNumeric(""), "False"
Check "CDbl grouping", CDbl("1,234.5"), "1234.5"
Check "CDbl hex", CDbl("&HFF"), "255"
Check "CDbl leading point", CDbl("-.5"), "-0.5"
Check "CDbl parentheses", CDbl("(12)"), "-12"
Check "CDbl trailing sign", CDbl("12-"), "-12"
Check "text in arithmetic", "3" * "4", "12"

WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
