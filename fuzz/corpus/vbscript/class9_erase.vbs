Class T
Private Sub Class_Terminate() : a = 5 : d.Add CStr(Rnd), 1 : End Sub
End Class
Set d = CreateObject("Scripting.Dictionary")
Dim a(3)
Set a(1) = New T
Erase a
d.Add 1, New T
d.RemoveAll
