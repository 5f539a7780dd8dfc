' expect: error 1799
' A terminator that never returns, run while the script runs.
Class Stuck
    Sub Class_Terminate
        Do : Loop
    End Sub
End Class
Dim g : Set g = New Stuck
Set g = Nothing
