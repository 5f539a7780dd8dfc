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
' If, Select Case, loops, With, Exit.
Dim s, i, j, n
n = 3
If n = 1 Then
    s = "one"
ElseIf n = 3 Then
    s = "three"
Else
    s = "other"
End If
Check "block if elseif", s, "three"
If n = 3 Then s = "x" : s = s & "y" Else s = "z"
Check "single line if with colon", s, "xy"
If n = 4 Then s = "x" Else s = "e" : s = s & "f"
Check "single line else with colon", s, "ef"
If Null Then s = "then" Else s = "else"
Check "null condition takes else", s, "else"
If "True" Then s = "t" Else s = "f"
Check "string condition", s, "t"

Function Classify(v)
    Select Case v
        Case 1, 2
            Classify = "small"
        Case 3 To 5
            Classify = "medium"
        Case Is >= 100
            Classify = "huge"
        Case Else
            Classify = "other"
    End Select
End Function
Check "select list", Classify(2), "small"
Check "select range", Classify(4), "medium"
Check "select is", Classify(150), "huge"
Function Letter(v)
    Select Case LCase(v)
        Case "x", "y" : Letter = "xy"
        Case "a" To "m" : Letter = "early"
        Case Else : Letter = "late"
    End Select
End Function
Check "select strings", Letter("Y"), "xy"
Check "select string range", Letter("c"), "early"
Check "select string else", Letter("q"), "late"
CheckError "select word against number", "Select Case ""y"" : Case 1 : End Select", 13
Check "select else", Classify(50), "other"

s = ""
For i = 1 To 10 Step 3 : s = s & i & "," : Next
Check "for step", s, "1,4,7,10,"
s = ""
For i = 5 To 1 Step -2 : s = s & i : Next
Check "for negative step", s, "531"
s = ""
For i = 0 To 1 Step 0.5 : s = s & i & ";" : Next
Check "for fractional step", s, "0;0.5;1;"
n = 3 : s = ""
For i = 1 To n
    n = 10
    s = s & i
Next
Check "for bounds evaluated once", s, "123"
For i = 1 To 100
    If i = 7 Then Exit For
Next
Check "exit for", i, 7
s = ""
For i = 1 To 3
    For j = 1 To 3
        If j = 2 Then Exit For
        s = s & i & j & " "
    Next
Next
Check "exit inner for", s, "11 21 31 "
For i = 3 To 1 : s = "ran" : Next
Check "for not entered", i, 3

i = 0
Do While i < 5 : i = i + 1 : Loop
Check "do while", i, 5
i = 0
Do Until i >= 3 : i = i + 1 : Loop
Check "do until", i, 3
i = 10
Do : i = i + 1 : Loop While i < 5
Check "do loop while runs once", i, 11
i = 10
Do : i = i + 1 : Loop Until True
Check "do loop until", i, 11
i = 0
Do
    i = i + 1
    If i = 4 Then Exit Do
Loop
Check "exit do", i, 4
i = 0
While i < 6 : i = i + 2 : Wend
Check "while wend", i, 6

Dim d : Set d = CreateObject("Scripting.Dictionary")
With d
    .Add "k", 1
    .Item("k") = .Item("k") + 41
    Check "with read", .Count, CLng(1)
End With
Check "with wrote", d("k"), 42

Dim total : total = 0
For Each i In Array(1, 2, 3) : total = total + i : Next
Check "for each array", total, 6
s = ""
For Each i In d : s = s & i : Next
Check "for each dictionary keys", s, "k"
s = ""
For Each i In Array("a", "b", "c")
    If i = "b" Then Exit For
    s = s & i
Next
Check "exit for each", s, "a"

Function FindFirst(limit)
    Dim k
    For k = 1 To limit
        If k * k > 20 Then
            FindFirst = k
            Exit Function
        End If
    Next
    FindFirst = -1
End Function
Check "exit function from loop", FindFirst(10), 5
Check "function falls through", FindFirst(3), -1
Done
