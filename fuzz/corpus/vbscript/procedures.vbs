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
' Procedures, ByRef and ByVal, argument rules.
Sub Inc(n) : n = n + 1 : End Sub
Sub IncVal(ByVal n) : n = n + 1 : End Sub
Dim x
x = 1 : Inc x
Check "byref default", x, 2
x = 1 : Inc (x)
Check "parenthesised argument is by value", x, 1
x = 1 : Call Inc(x)
Check "call passes byref", x, 2
x = 1 : Call Inc((x))
Check "call with double parens is by value", x, 1
x = 1 : IncVal x
Check "byval", x, 1
x = 1 : Inc x + 0
Check "expression argument", x, 1
Dim a(2) : a(1) = 5
Inc a(1)
Check "array element byref", a(1), 6
Dim d : Set d = CreateObject("Scripting.Dictionary")
d("k") = 1
Inc d("k")
Check "object property passed by value", d("k"), 1

Function Twice(v) : Twice = v * 2 : End Function
Check "function result", Twice(21), 42
Check "function used before declaration", Later(), "later"
Function Later() : Later = "first" : End Function
Function Later() : Later = "later" : End Function
Function Fact(n)
    If n <= 1 Then Fact = 1 Else Fact = n * Fact(n - 1)
End Function
Check "recursion", Fact(10), 3628800
Function Noop() : End Function
Check "function without assignment", IsEmpty(Noop()), True
CheckError "too many arguments", "Twice 1, 2", 450
CheckError "too few arguments", "x = Twice()", 450
Function MakeDict()
    Set MakeDict = CreateObject("Scripting.Dictionary")
End Function
Check "function returns object", TypeName(MakeDict()), "Dictionary"
Sub SetLocal()
    Dim y : y = 5
    local_result = y
End Sub
Dim local_result
SetLocal
Check "sub writes global", local_result, 5
Sub Swap(p, q)
    Dim t : t = p : p = q : q = t
End Sub
Dim s1, s2 : s1 = "a" : s2 = "b"
Swap s1, s2
Check "swap first", s1, "b"
Check "swap second", s2, "a"
Function AddAll(ByVal p, ByRef q)
    p = p + 1 : q = q + 1
    AddAll = p + q
End Function
Dim p1, q1 : p1 = 1 : q1 = 1
Check "mixed byval byref result", AddAll(p1, q1), 4
Check "byval untouched", p1, 1
Check "byref touched", q1, 2
Sub ExitEarly(ByRef r)
    r = 1
    Exit Sub
    r = 2
End Sub
ExitEarly x
Check "exit sub", x, 1
Dim counter : counter = 0
Sub Bump : counter = counter + 1 : End Sub
Bump : Bump
Call Bump
Check "sub without parentheses", counter, 3
tallyCount = 0
Sub Tally() : tallyCount = tallyCount + 1 : End Sub
Tally : Tally
Check "undeclared global updated by procedure", tallyCount, 2
Sub OwnTemp() : scratch_value = 5 : End Sub
OwnTemp
Check "undeclared name in procedure stays local", IsEmpty(scratch_value), True
Function CountUp()
    For k = 1 To 5 : total_local = total_local + 1 : Next
    CountUp = total_local
End Function
Check "implicit local read before written", CountUp(), 5
Check "implicit local starts empty each call", CountUp(), 5
Done
