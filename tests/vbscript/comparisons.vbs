ExecuteGlobal CreateObject("Scripting.FileSystemObject").OpenTextFile(Replace(WScript.ScriptFullName, WScript.ScriptName, "check.inc")).ReadAll
Const ONE = 1, TEXT_ONE = "1"
Dim s, n, b, e, t : s = "1" : n = 1 : b = True : t = "True"
Dim cases : cases = Array( Array("s = 1", True), Array("1 = s", True), Array("s = n", False), Array("n < s", True), Array("n = ""1""", True), Array("""1"" = n", True), Array("n = "" 1""", False), Array("n < ""a""", True), Array("s = ONE", True), Array("n = TEXT_ONE", True), Array("s = -1", False), Array("s = (1)", True), Array("b = ""True""", True), Array("t = True", True), Array("t = b", False), Array("""True"" = True", True), Array("""-1"" = True", True), Array("b = -1", True), Array("e = """"", True), Array("e = 0", True), Array("e = ""0""", False), Array("e < ""a""", True), Array("1 < s < 2", True), Array("s = 1 = True", True), Array("""10"" < ""9""", True), Array("10 < ""9""", False), Array("n + 9 < ""9""", True))
Dim c, x : For Each c In cases : Check c(0), Eval(c(0)), c(1) : Next
Dim errs : errs = Array("x = (""a"" < 1)", "s = ""a"" : x = (s < 1)", "x = (""yes"" = True)")
For Each c In errs : CheckError c, c, 13 : Next
s = "5" : x = False : Select Case s : Case 5 : x = True : End Select : Check "case literal", x, True
Done
