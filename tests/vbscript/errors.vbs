' Check, CheckError and Done are shared by every script: they live in check.inc.
ExecuteGlobal CreateObject("Scripting.FileSystemObject").OpenTextFile(Replace(WScript.ScriptFullName, WScript.ScriptName, "check.inc")).ReadAll
' ---- checks
' On Error, the Err object and error numbers.
Dim r
On Error Resume Next
r = 1 / 0
Check "resume next records number", Err.Number, CLng(11)
Check "resume next records description", Err.Description, "Division by zero"
Check "err keeps value", Err.Number, CLng(11)
Err.Clear
Check "err clear", Err.Number, CLng(0)
r = "before"
r = CInt("x") & "after"
Check "error skips rest of statement", r, "before"
Err.Clear
If 1 / 0 = 5 Then r = "then" Else r = "else"
Check "error in condition enters then", r, "then"
Err.Clear
Sub Failing()
    r = "start"
    Dim z : z = 1 / 0
    r = "not reached"
End Sub
Failing
Check "error leaves callee", r, "start"
Check "error seen by caller", Err.Number, CLng(11)
On Error GoTo 0
Check "on error goto 0 clears", Err.Number, CLng(0)

On Error Resume Next
Err.Raise 1000, "MySource", "My description"
Check "raise number", Err.Number, CLng(1000)
Check "raise source", Err.Source, "MySource"
Check "raise description", Err.Description, "My description"
Err.Clear
Err.Raise 9
Check "raise catalogue description", Err.Description, "Subscript out of range"
Err.Clear
Err.Raise vbObjectError + 1
Check "raise object error", Err.Number, vbObjectError + 1
Err.Clear
Err.Raise 0
Check "raise zero", Err.Number, CLng(5)
Err.Clear
Err.Raise 70000
Check "raise too big", Err.Number, CLng(5)
On Error GoTo 0

Sub Handler()
    On Error Resume Next
    Dim q : q = 1 / 0
    r = Err.Number
End Sub
Handler
Check "handler inside procedure", r, CLng(11)

CheckError "subscript", "Dim sa(1) : sa(5) = 1", 9
CheckError "type mismatch", "x = ""a"" * 2", 13
CheckError "object required", "Dim orq : orq = 1 : orq.Foo", 424
CheckError "unsupported member", "Set ds = CreateObject(""Scripting.Dictionary"") : ds.NoSuch", 438
CheckError "wrong argument count", "x = Len(1, 2)", 450
CheckError "undefined variable", "Option Explicit" & vbCrLf & "undeclared_thing = 1", 500
CheckError "invalid null", "x = Chr(Null)", 94
CheckError "object not set", "Dim onn : Set onn = Nothing : x = onn.Count", 91
CheckError "key exists", "Set dk = CreateObject(""Scripting.Dictionary"") : dk.Add 1, 1 : dk.Add 1, 2", 457
CheckError "cannot create", "Set cx = CreateObject(""No.Such.Thing"")", 429
CheckError "double overflow", "x = 1E+308 * 10", 6
CheckError "double overflow in sum", "x = 1.7E+308 + 1.7E+308", 6
CheckError "syntax error", "On Error Foo", 1002
CheckError "expected expression", "x = = 1", 1023
CheckError "expected end", "If True Then" & vbCrLf & "x = 1", 1014
CheckError "undefined sub", "NoSuchProcedure 1", 13
CheckError "undefined sub without arguments", "NoSuchProcedure", 13
On Error Resume Next
Set cx = CreateObject("No.Such.Thing")
Check "429 message", Err.Description, "ActiveX component can't create object"
On Error GoTo 0
Done
