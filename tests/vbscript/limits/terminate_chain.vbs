' expect: error 1799
' Every terminator makes a new instance of its class: teardown never ends by itself.
Class Phoenix
    Sub Class_Terminate
        Dim o : Set o = New Phoenix
    End Sub
End Class
Dim g : Set g = New Phoenix
