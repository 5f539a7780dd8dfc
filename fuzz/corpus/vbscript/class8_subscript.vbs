ReDim a(3)
Function F() : a = 5 : F = 1 : End Function
On Error Resume Next
x = a(F())
ReDim a(3)
a(F()) = 1
Class Idx
Public Default Property Get V() : ReDim a(0) : V = 900 : End Property
End Class
ReDim a(1000)
Set o = New Idx
x = a(o)
