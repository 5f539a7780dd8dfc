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
' Execute, ExecuteGlobal, Eval and GetRef.
Dim g : g = 1
ExecuteGlobal "g = g + 1"
Check "executeglobal", g, 2
ExecuteGlobal "Function Made(x) : Made = x * 3 : End Function"
Check "executeglobal defines function", Made(2), 6
Check "eval", Eval("1 + 2 * 3"), 7
Check "eval sees globals", Eval("g * 10"), 20
Check "eval comparison", Eval("g = 2"), True
Function LocalEval()
    Dim loc : loc = 5
    LocalEval = Eval("loc + 1")
End Function
Check "eval sees locals", LocalEval(), 6
Function LocalExecute()
    Dim loc : loc = 5
    Execute "loc = loc * 2"
    LocalExecute = loc
End Function
Check "execute sees locals", LocalExecute(), 10
Function Square(x) : Square = x * x : End Function
Dim fp : Set fp = GetRef("Square")
Check "getref call", fp(7), 49
Dim hits : hits = 0
Sub OnEvent() : hits = hits + 1 : End Sub
Dim handler : Set handler = GetRef("OnEvent")
handler()
Call handler()
Check "getref sub", hits, 2
CheckError "getref missing", "Set gm = GetRef(""NoSuchProc"")", 5
CheckError "execute syntax error", "Execute ""x = ("" ", 1023
CheckError "execute unclosed call", "Execute ""x = Len(1"" ", 1006
Check "script engine", ScriptEngine, "VBScript"
Check "major version", ScriptEngineMajorVersion, CLng(5)
Check "minor version", ScriptEngineMinorVersion, CLng(8)
Done
