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
' Fixed, dynamic and multi-dimensional arrays, copying, bounds.
Dim a(3)
Check "ubound fixed", UBound(a), CLng(3)
Check "lbound", LBound(a), CLng(0)
a(0) = "x" : a(3) = 7
Check "element", a(3), 7
CheckError "index too high", "Dim e(2) : e(3) = 1", 9
CheckError "index negative", "Dim e2(2) : x = e2(-1)", 9
CheckError "redim fixed", "Dim f(2) : ReDim f(5)", 10
Dim b
ReDim b(2)
b(0) = 1 : b(1) = 2 : b(2) = 3
ReDim Preserve b(4)
Check "preserve keeps", b(2), 3
Check "preserve grows", UBound(b), CLng(4)
Check "preserve new empty", IsEmpty(b(4)), True
ReDim b(1)
Check "redim clears", IsEmpty(b(0)), True
Dim m(2, 3)
Check "ubound dim 1", UBound(m), CLng(2)
Check "ubound dim 2", UBound(m, 2), CLng(3)
CheckError "ubound bad dim", "Dim m3(1, 1) : x = UBound(m3, 3)", 9
m(2, 3) = "corner"
Check "multi element", m(2, 3), "corner"
CheckError "wrong dimension count", "Dim m4(1, 1) : x = m4(1)", 9
Dim order(1, 2), k, s
For k = 0 To 5 : order(k Mod 2, k \ 2) = k : Next
s = ""
For Each k In order : s = s & k : Next
Check "for each first index fastest", s, "012345"
Dim c, c2
c = Array(1, 2, 3)
c2 = c
c2(0) = 99
Check "assignment copies", c(0), 1
Check "copy changed", c2(0), 99
Check "empty array ubound", UBound(Array()), CLng(-1)
Check "isarray", IsArray(c), True
Check "isarray scalar", IsArray(1), False
Dim fx(2) : fx(1) = "v"
Erase fx
Check "erase fixed clears", IsEmpty(fx(1)), True
Check "erase fixed keeps size", UBound(fx), CLng(2)
Dim dyn() : ReDim dyn(3)
Erase dyn
CheckError "erased dynamic", "Dim dz() : ReDim dz(1) : Erase dz : x = UBound(dz)", 9
ReDim dyn(1)
dyn(1) = "back"
Check "redim after erase", dyn(1), "back"
Function Fill(n)
    Dim r() : ReDim r(n - 1)
    Dim i
    For i = 0 To n - 1 : r(i) = i * i : Next
    Fill = r
End Function
Dim sq : sq = Fill(4)
Check "function returns array", sq(3), 9
Sub Change(arr) : arr(0) = "changed" : End Sub
Dim pa : pa = Array("orig")
Change pa
Check "array passed byref", pa(0), "changed"
Dim nested : nested = Array(Array(1, 2), Array(3, 4))
Check "nested array", nested(1)(0), 3
ReDim Preserve pa(2)
CheckError "preserve other dimension", "Dim pp() : ReDim pp(1, 1) : ReDim Preserve pp(2, 1)", 9
Check "split ubound", UBound(Split("a b c")), CLng(2)
Check "split empty", UBound(Split("")), CLng(-1)
Dim lockedArr() : ReDim lockedArr(2)
Sub GrowWhileReferenced(ByRef el)
    ReDim lockedArr(5)
End Sub
CheckError "redim while an element is passed byref", "GrowWhileReferenced lockedArr(1)", 10
Sub EraseWhileReferenced(ByRef el)
    lockedArr = Array()
End Sub
CheckError "reassign while an element is passed byref", "EraseWhileReferenced lockedArr(0)", 10
Dim la2() : ReDim la2(2)
Sub Bump2(ByRef el) : el = el + 1 : End Sub
la2(1) = 1 : Bump2 la2(1) : Bump2 la2(1)
Check "element byref repeatedly", la2(1), 3
ReDim la2(4)
Check "unlocked after the call", UBound(la2), CLng(4)
Done
