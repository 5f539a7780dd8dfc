Class N
Public s
End Class
Set n = New N
Set n.s = n
Set d = CreateObject("Scripting.Dictionary")
d.Add 1, d
