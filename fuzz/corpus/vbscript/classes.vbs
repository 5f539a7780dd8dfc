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
' Classes: fields, methods, properties, default member, lifetime.
Dim log : log = ""
Class Counter
    Private m_count
    Public Name
    Private Sub Class_Initialize()
        m_count = 0
        Name = "counter"
        log = log & "init;"
    End Sub
    Private Sub Class_Terminate()
        log = log & "term " & Name & ";"
    End Sub
    Public Sub Add(n) : m_count = m_count + n : End Sub
    Public Function Twice() : Twice = m_count * 2 : End Function
    Public Property Get Count() : Count = m_count : End Property
    Public Property Let Count(v)
        If v < 0 Then Err.Raise 5
        m_count = v
    End Property
    Public Default Property Get Value() : Value = "value:" & m_count : End Property
    Public Function Self() : Set Self = Me : End Function
    Public Sub Bump() : Add 1 : Me.Add 1 : End Sub
End Class

Dim c : Set c = New Counter
Check "initialize ran", log, "init;"
c.Add 5
Check "method", c.Count, 5
c.Count = 10
Check "property let", c.Count, 10
Check "function member", c.Twice(), 20
Check "default member", "" & c, "value:10"
Check "field", c.Name, "counter"
c.Name = "renamed"
Check "field write", c.Name, "renamed"
Check "typename", TypeName(c), "Counter"
Check "me", c.Self() Is c, True
c.Bump
Check "call own members", c.Count, 12
CheckError "property let raises", "c.Count = -1", 5
CheckError "missing member", "c.Nope", 438
CheckError "private field from outside", "x = c.m_count", 438
CheckError "private sub from outside", "c.Class_Initialize", 438
Dim c2 : Set c2 = c
Set c = Nothing
Check "still referenced", log, "init;"
Set c2 = Nothing
Check "terminate on last reference", log, "init;term renamed;"

Class Bag
    Private m_items
    Private Sub Class_Initialize() : Set m_items = CreateObject("Scripting.Dictionary") : End Sub
    Public Property Set Items(d) : Set m_items = d : End Property
    Public Property Get Items() : Set Items = m_items : End Property
End Class
Dim bg : Set bg = New Bag
Dim dd : Set dd = CreateObject("Scripting.Dictionary")
dd.Add "a", 1
Set bg.Items = dd
Check "property set", bg.Items.Count, CLng(1)
Check "chained access", bg.Items("a"), 1

Class Plain
    Public V
End Class
Dim p : Set p = New Plain
CheckError "no default member", "Dim pv : pv = p", 438
CheckError "set of a value", "Dim sv : Set sv = 5", 424
CheckError "value of Nothing", "Dim nv : nv = Nothing", 91
CheckError "nothing member", "Dim nn : Set nn = Nothing : nn.V = 1", 91
CheckError "class not defined", "Set q = New NoSuchClass", 506
Check "new in expression", TypeName(New Plain), "Plain"

Class Node
    Public NextNode
    Public Tag
    Private Sub Class_Terminate() : log = log & "node " & Tag & ";" : End Sub
End Class
log = ""
Sub MakeChain()
    Dim n1, n2
    Set n1 = New Node : n1.Tag = "a"
    Set n2 = New Node : n2.Tag = "b"
    Set n1.NextNode = n2
End Sub
MakeChain
Check "locals released at exit", log, "node a;node b;"
Function Factory(tag)
    Set Factory = New Node
    Factory.Tag = tag
End Function
log = ""
Check "temporary object", Factory("t").Tag, "t"
Check "temporary released", log, "node t;"
Done
