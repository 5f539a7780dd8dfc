' Check, CheckError and Done are shared by every script: they live in check.inc.
ExecuteGlobal CreateObject("Scripting.FileSystemObject").OpenTextFile(Replace(WScript.ScriptFullName, WScript.ScriptName, "check.inc")).ReadAll
' ---- checks
' A call's frame is filled while its arguments are evaluated: calls nested in
' the arguments, arguments that change the variables passed ByRef, values
' released while a frame is left, and integer results keeping their types.
Function Add3(ByVal a, b, c) : b = b + 1 : Add3 = a * 100 + b * 10 + c : End Function
Function Bump(v) : v = v + 1 : Bump = v : End Function
Function Fib(n) : If n < 2 Then Fib = n Else Fib = Fib(n - 1) + Fib(n - 2)
End Function
Dim x, y, s
x = 1 : y = 2
Check "nested calls in arguments", Add3(Add3(1, y, 1), Add3(0, x, 0), Bump(x)), 13313
x = 1
Check "argument changes a ByRef variable first", Add3(Bump(x), x, x), 233
Check "the ByRef variable kept the change", x, 3
Check "recursion", Fib(15), 610
Class Tracker
    Public Name
    Private Sub Class_Terminate() : s = s & Name & ";" : End Sub
End Class
Function Keep(ByVal o) : Set Keep = o : End Function
Sub Local_()
    Dim t : Set t = New Tracker : t.Name = "local"
End Sub
s = ""
Local_
Check "a local object goes when its frame is left", s, "local;"
Dim kept : Set kept = Keep(New Tracker) : kept.Name = "kept"
Check "a returned object stays", s, "local;"
Set kept = Nothing
Check "and goes with its last reference", s, "local;kept;"
Check "Integer + Integer stays Integer", TypeName(CInt(2) + CInt(3)), "Integer"
Check "Integer overflow widens to Long", TypeName(CInt(32767) + CInt(1)), "Long"
Check "Long overflow widens to Double", TypeName(CLng(2147483647) + 1), "Double"
Check "Integer comparison", CInt(3) < CInt(4), True
Check "Integer \ and Mod", (CInt(7) \ CInt(2)) * 10 + (CInt(7) Mod CInt(2)), 31
CheckError "Mod by zero", "x = 1 Mod 0", 11
CheckError "wrong argument count", "x = Add3(1, 2)", 450
' Integer expressions of variables are worked out in place: same types and
' errors as the general path, also once a hot expression's operands change type.
Dim i16, i32, z, t, types : i16 = CInt(32767) : i32 = CLng(2147483647) : z = 0
Check "in place: a nested Integer sum stays Integer", TypeName(i16 + (i16 - i16)), "Integer"
Check "in place: Integer overflow inside brackets widens", (i16 + 1) * 1, CLng(32768)
Check "in place: Long overflow widens to Double", i32 + i16 - i16, CDbl(2147483647)
Check "in place: Mod and \ of variables", (i16 Mod 10) * 3 - i16 \ 10000, 18
CheckError "in place: Mod by a zero variable", "x = i16 Mod z", 11
CheckError "in place: \ by a zero variable", "x = i16 \ (z * 2)", 11
Dim arr(1)
Sub ReplaceArr(e) : arr = i16 + 1 : End Sub
CheckError "in place: an array locked by a ByRef element stays", "ReplaceArr arr(0)", 10
Check "in place: the locked array is kept", IsArray(arr), True
Class Counter
    Public n
    Function Next3() : n = n + 1 : Next3 = n * 3 - 1 : End Function
End Class
Function Five() : Five = 5 : End Function
Const Seven = 7
Dim cnt : Set cnt = New Counter : cnt.n = CInt(1)
Check "in place: an object's fields", cnt.Next3() + cnt.n, 7
Check "in place: a function named without brackets is still called", Five + Seven * 2, 19
Dim g : g = 1
Function Grow() : g = g + 1 : Grow = 10 : End Function
Function Half() : Half = 2.5 : End Function
Function Txt() : Txt = "7" : End Function
Check "a call minus a variable it changes reads the variable after", Grow() - g, 8
Check "a call's Double result minus an Integer", Half() - 1, 1.5
Check "a call's text result minus an Integer", Txt() - 1, CDbl(6)
Check "a call's result compared", Grow() > g, True
types = ""
For x = 1 To 20
    If x <= 10 Then t = 1.5 Else t = CInt(x)
    types = types & Left(TypeName(t * 2 + 1), 1)
Next
Check "a hot expression follows its operands' type", types, "DDDDDDDDDDIIIIIIIIII"
Done
