ExecuteGlobal CreateObject("Scripting.FileSystemObject").OpenTextFile(Replace(WScript.ScriptFullName, WScript.ScriptName, "check.inc")).ReadAll
' Mixed comparisons: a value written into the text keeps its type against a
' variable; two variables of different kinds put the number first.
Const ONE = 1, TEXT_ONE = "1"
Dim s, n, b, e, t : s = "1" : n = 1 : b = True : t = "True"
Dim cases : cases = Array( _
    Array("s = 1", True), Array("1 = s", True), Array("s = n", False), Array("n < s", True), _
    Array("n = ""1""", True), Array("""1"" = n", True), Array("n = "" 1""", False), Array("n < ""a""", True), _
    Array("s = ONE", True), Array("n = TEXT_ONE", True), Array("s = -1", False), Array("s = (1)", True), _
    Array("b = ""True""", True), Array("t = True", True), Array("t = b", False), Array("""True"" = True", True), _
    Array("""-1"" = True", True), Array("b = -1", True), Array("e = """"", True), Array("e = 0", True), _
    Array("e = ""0""", False), Array("e < ""a""", True), Array("1 < s < 2", True), Array("s = 1 = True", True), _
    Array("""10"" < ""9""", True), Array("10 < ""9""", False), Array("n + 9 < ""9""", True))
Dim c
For Each c In cases : Check c(0), Eval(c(0)), c(1) : Next
CheckError "text literal against a number literal", "x = (""a"" < 1)", 13
CheckError "text variable against a number literal", "s = ""a"" : x = (s < 1)", 13
CheckError "word against a Boolean literal", "x = (""yes"" = True)", 13
s = "5"
Select Case s
    Case 5 : Check "case literal", True, True
    Case Else : Check "case literal", False, True
End Select
Done
