' Check, CheckError and Done are shared by every script: they live in check.inc.
ExecuteGlobal CreateObject("Scripting.FileSystemObject").OpenTextFile(Replace(WScript.ScriptFullName, WScript.ScriptName, "check.inc")).ReadAll
' ---- checks
' Scripting.Dictionary.
Dim d : Set d = CreateObject("Scripting.Dictionary")
d.Add "a", 1
d.Add "b", 2
Check "count", d.Count, CLng(2)
Check "item", d.Item("a"), 1
Check "default member", d("b"), 2
Check "exists", d.Exists("a"), True
Check "exists missing", d.Exists("zz"), False
d("c") = 3
Check "assign adds", d.Count, CLng(3)
d("a") = 10
Check "assign replaces", d("a"), 10
Dim v : v = d("missing")
Check "read of missing key adds it", d.Exists("missing"), True
Check "added empty", IsEmpty(d("missing")), True
d.Remove "missing"
Check "remove", d.Exists("missing"), False
CheckError "remove missing", "Set dr = CreateObject(""Scripting.Dictionary"") : dr.Remove ""x""", 32811
CheckError "add duplicate", "Set da = CreateObject(""Scripting.Dictionary"") : da.Add ""k"", 1 : da.Add ""k"", 2", 457
Dim keys : keys = d.Keys
Check "keys in insertion order", Join(keys, ","), "a,b,c"
Check "items", d.Items()(2), 3
Dim s, k : s = ""
For Each k In d : s = s & k & "=" & d(k) & ";" : Next
Check "for each over keys", s, "a=10;b=2;c=3;"
d.Key("b") = "bee"
Check "rename key", d("bee"), 2
Check "old key gone", d.Exists("b"), False
Check "case sensitive by default", d.Exists("A"), False
Dim t : Set t = CreateObject("Scripting.Dictionary")
t.CompareMode = vbTextCompare
t.Add "Key", 1
Check "text compare mode", t.Exists("KEY"), True
CheckError "compare mode after add", "Set tc = CreateObject(""Scripting.Dictionary"") : tc.Add 1, 1 : tc.CompareMode = 1", 5
Dim n : Set n = CreateObject("Scripting.Dictionary")
n.Add 1, "one"
n.Add "1", "string one"
Check "number and string keys differ", n.Count, CLng(2)
Check "numeric key", n(1), "one"
Check "numeric key of other subtype", n(CLng(1)), "one"
d.RemoveAll
Check "remove all", d.Count, CLng(0)
Dim o : Set o = CreateObject("Scripting.Dictionary")
o.Add "inner", CreateObject("Scripting.Dictionary")
o("inner").Add "x", 5
Check "object values", o("inner")("x"), 5
Dim cnt : Set cnt = CreateObject("Scripting.Dictionary")
Dim w
For Each w In Split("a b a c a b", " ")
    cnt(w) = cnt(w) + 1
Next
Check "counting idiom", cnt("a"), 3
' Lookups of a key just found stay right after the dictionary changes.
Dim dk : Set dk = CreateObject("Scripting.Dictionary")
Dim dkey : dkey = LCase("KEY")
dk.Add "first", 1 : dk.Add dkey, 2
Check "found key", dk.Exists(dkey) And dk(dkey) = 2, True
dk.Remove "first"
Check "found key after an earlier one goes", dk(dkey), 2
dk.Key(dkey) = "other"
Check "found key renamed", dk.Exists(dkey), False
dk.Add dkey, 3 : dk.Remove dkey
Check "found key removed", dk.Exists(dkey), False
dk.Add dkey, 4 : Check "found key again", dk(dkey), 4
dk.RemoveAll
Check "found key after remove all", dk.Exists(dkey), False
Done
