On Error Resume Next
ExecuteGlobal "Sub Good()" & vbCrLf & "End Sub" & vbCrLf & "Sub Bad(a, a)" & vbCrLf & "End Sub"
On Error GoTo 0
Good
