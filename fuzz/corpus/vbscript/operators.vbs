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
' Arithmetic, concatenation, logical operators: precedence, result types, Null.
Check "negation before power", -3^2, 9.0
Check "power left to right", 2^3^2, 64.0
Check "integer division", 7 \ 2, 3
Check "integer division rounds operands", 4.6 \ 1.49, CLng(5)
Check "negative integer division", -7 \ 2, -3
Check "mod", 7 Mod 3, 1
Check "negative mod", -7 Mod 3, -1
Check "mod rounds operands", 7.5 Mod 2, CLng(0)
Check "division", 5 / 2, 2.5
Check "division type", TypeName(4 / 2), "Double"
CheckError "division by zero", "x = 1 / 0", 11
CheckError "zero by zero", "x = 0 / 0", 6
CheckError "integer division by zero", "x = 1 \ 0", 11
CheckError "mod by zero", "x = 1 Mod 0", 11
Check "multiply widens", 200 * 200, 40000
Check "multiply widens type", TypeName(200 * 200), "Long"
Check "byte sum widens", CByte(200) + CByte(100), 300
Check "byte sum stays byte", TypeName(CByte(2) + CByte(3)), "Byte"
Check "negate min integer", -(CInt(-32768)), 32768
Check "precedence mul add", 2 + 3 * 4, 14
Check "precedence concat", 1 + 2 & 3, "33"
Check "string plus string", "1" + "2", "12"
Check "string plus number", "1" + 2, 3.0
CheckError "word plus number", "x = ""a"" + 1", 13
Check "empty plus empty", Empty + Empty, 0
Check "empty concat", Empty & "x", "x"
Check "concat null", "a" & Null, "a"
Check "null concat null", Null & Null, Null
Check "null plus", 1 + Null, Null
Check "null times", Null * 2, Null
Check "not zero", Not 0, -1
Check "not true", Not True, False
Check "not null", Not Null, Null
Check "bitwise and", 5 And 3, 1
Check "bitwise or", 5 Or 3, 7
Check "bitwise xor", 5 Xor 3, 6
Check "logical and", True And False, False
Check "null or true", Null Or True, True
Check "false and null", False And Null, False
Check "true and null", True And Null, Null
Check "null or false", Null Or False, Null
Check "eqv", True Eqv True, True
Check "imp", False Imp False, True
Check "imp numbers", 0 Imp 0, -1
Check "no short circuit", ShortCircuitProbe(), 2
Dim d1, d2 : Set d1 = CreateObject("Scripting.Dictionary") : Set d2 = d1
Check "is same", d1 Is d2, True
Check "is nothing", Nothing Is Nothing, True
Check "is other", d1 Is CreateObject("Scripting.Dictionary"), False
CheckError "is on values", "x = 1 Is 1", 424
Check "date difference", #1/2/2000# - #1/1/2000#, 1.0
Check "date plus number", TypeName(#1/1/2000# + 1), "Date"
Check "date plus number value", #1/1/2000# + 1 = #1/2/2000#, True
Check "double compare", 0.1 + 0.2 = 0.3, False
Check "string times", "3" * "4", 12.0

Dim calls
Function Touch(v)
    calls = calls + 1
    Touch = v
End Function
Function ShortCircuitProbe()
    calls = 0
    Dim r : r = Touch(False) And Touch(True)
    ShortCircuitProbe = calls
End Function
Done
