Dim g
Class R
Public me2
Private Sub Class_Terminate() : Set g = Me : Set me2 = Me : End Sub
End Class
Set o = New R
Set o = Nothing
x = TypeName(g)
