' Check, CheckError and Done are shared by every script: they live in check.inc.
ExecuteGlobal CreateObject("Scripting.FileSystemObject").OpenTextFile(Replace(WScript.ScriptFullName, WScript.ScriptName, "check.inc")).ReadAll
' ---- named constants: every one a script may name
Check "vbMsgBoxHelpButton", vbMsgBoxHelpButton, CLng(16384)
Check "vbMsgBoxSetForeground", vbMsgBoxSetForeground, CLng(65536)
Check "vbMsgBoxRight", vbMsgBoxRight, CLng(524288)
Check "vbMsgBoxRtlReading", vbMsgBoxRtlReading, CLng(1048576)
Check "vbBlack", vbBlack, CLng(0)
Check "vbRed", vbRed, CLng(255)
Check "vbGreen", vbGreen, CLng(65280)
Check "vbYellow", vbYellow, CLng(65535)
Check "vbBlue", vbBlue, CLng(16711680)
Check "vbMagenta", vbMagenta, CLng(16711935)
Check "vbCyan", vbCyan, CLng(16776960)
Check "vbWhite", vbWhite, CLng(16777215)
Check "vbObjectError", vbObjectError, CLng(-2147221504)
' ---- hex literals: 32 bits, an Integer whenever the value fits one
Check "hex short", &h10, 16
Check "hex short suffix", &h10&, 16
Check "hex 4 digits wraps", &h8000, CInt(-32768)
Check "hex 4 digits suffix", &h8000&, CLng(32768)
Check "hex 65535 suffix", &hFFFF&, CLng(65535)
Check "hex 32 bits", &hFFFFFFFF, -1
Check "hex 32 bits suffix", &hFFFFFFFF&, -1
Check "hex 5 digits", &h10000, CLng(65536)
Check "octal", &o17&, 15
' ---- result types of Round and CSng
Check "round true", Round(True), True
Check "round false", Round(False), False
Check "round integer", Round(7), 7
Check "csng product", CStr(CSng(0.001 * 0.001)), "1E-06"
Check "csng type", TypeName(CSng(2)), "Single"
' ---- Null where a value is required: 94, before the other argument checks
CheckError "join null", "x = Join(Null)", 94
CheckError "join null delimiter", "x = Join(Array(1), Null)", 94
CheckError "join 2-d", "Dim j(1, 1) : x = Join(j)", 13
CheckError "mid null length", "x = Mid(""abc"", ""a"", Null)", 94
CheckError "mid null start", "x = Mid(""abc"", Null)", 94
CheckError "left null length", "x = Left(Null, Null)", 94
CheckError "right null length", "x = Right(""abc"", Null)", 94
Check "mid null text", IsNull(Mid(Null, 1)), True
' ---- Err.Source of the engine's run-time errors
On Error Resume Next
x = 1 / 0
Check "err source", Err.Source, "Microsoft VBScript runtime error"
Err.Clear
x = CLng("abc")
Check "err source conversion", Err.Source, "Microsoft VBScript runtime error"
On Error GoTo 0
' ---- On Error Resume Next in block headers
Dim trail
On Error Resume Next
trail = ""
If 1 / 0 Then trail = trail & "then" Else trail = trail & "else"
If False Then
    trail = trail & "-if"
ElseIf 1 / 0 Then
    trail = trail & "-elseif"
End If
Do While 1 / 0
    trail = trail & "-dowhile"
    Exit Do
Loop
Do Until 1 / 0
    trail = trail & "-dountil"
    Exit Do
Loop
n = 0
Do
    n = n + 1
    If n > 3 Then Exit Do
Loop While 1 / 0
trail = trail & "-loopwhile" & n
n = 0
Do
    n = n + 1
    If n > 3 Then Exit Do
Loop Until 1 / 0
trail = trail & "-loopuntil" & n
Select Case 1 / 0
Case 1
    trail = trail & "-case1"
Case Else
    trail = trail & "-caseelse"
End Select
Select Case 2
Case 1 / 0
    trail = trail & "-caseraised"
Case 2
    trail = trail & "-case2"
End Select
Err.Clear
n = 0
For Each x In Empty
    n = n + 1
Next
trail = trail & "-foreach" & n & ":" & Err.Number
On Error GoTo 0
Check "resume in headers", trail, "then-elseif-dowhile-dountil-loopwhile1-loopuntil1-caseraised-foreach1:451"
' ---- IsNumeric of objects
Class NumberBox
    Public Default Property Get Value() : Value = 42 : End Property
End Class
Class TextBox
    Public Default Property Get Value() : Value = "abc" : End Property
End Class
Class NoDefault
    Public v
End Class
Check "isnumeric numeric default", IsNumeric(New NumberBox), True
Check "isnumeric text default", IsNumeric(New TextBox), False
Check "isnumeric no default", IsNumeric(New NoDefault), False
Check "isnumeric nothing", IsNumeric(Nothing), False
Done
