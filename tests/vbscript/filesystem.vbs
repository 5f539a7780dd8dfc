' Check, CheckError and Done are shared by every script: they live in check.inc.
ExecuteGlobal CreateObject("Scripting.FileSystemObject").OpenTextFile(Replace(WScript.ScriptFullName, WScript.ScriptName, "check.inc")).ReadAll
' ---- checks
' Scripting.FileSystemObject text files. The first argument is a scratch folder.
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")
Dim root : root = WScript.Arguments(0)
If Not fso.FolderExists(root) Then fso.CreateFolder root
Dim dir : dir = fso.BuildPath(root, "fs-" & Int(Timer * 100))
fso.CreateFolder dir
Check "folder created", fso.FolderExists(dir), True
CheckError "create existing folder", "fso.CreateFolder dir", 58
Dim path : path = fso.BuildPath(dir, "notes.txt")
Check "build path", fso.GetFileName(path), "notes.txt"
Check "parent folder", fso.GetParentFolderName(path), dir
Check "not yet", fso.FileExists(path), False
Dim f : Set f = fso.CreateTextFile(path, True)
f.WriteLine "first"
f.Write "second"
f.WriteLine
f.Close
Check "file exists", fso.FileExists(path), True
Set f = fso.OpenTextFile(path, 1)
Check "read line 1", f.ReadLine, "first"
Check "not at end", f.AtEndOfStream, False
Check "read line 2", f.ReadLine, "second"
Check "at end", f.AtEndOfStream, True
CheckError "read past end", "f.ReadLine", 62
f.Close
Set f = fso.OpenTextFile(path, 8)
f.WriteLine "third"
f.Close
Set f = fso.OpenTextFile(path, 1)
Check "append and read all", f.ReadAll, "first" & vbCrLf & "second" & vbCrLf & "third" & vbCrLf
f.Close
Set f = fso.OpenTextFile(path, 2)
f.Write "replaced"
f.Close
Set f = fso.OpenTextFile(path)
Check "write mode truncates", f.ReadAll, "replaced"
CheckError "write to read stream", "f.Write ""x""", 54
f.Close
CheckError "overwrite refused", "Set g = fso.CreateTextFile(path, False)", 58
CheckError "open missing", "Set g = fso.OpenTextFile(fso.BuildPath(dir, ""none.txt""))", 53
Set f = fso.OpenTextFile(fso.BuildPath(dir, "made.txt"), 2, True)
f.Close
Check "open for writing creates", fso.FileExists(fso.BuildPath(dir, "made.txt")), True
fso.DeleteFile path
Check "deleted", fso.FileExists(path), False
CheckError "delete missing", "fso.DeleteFile path", 53
fso.DeleteFile fso.BuildPath(dir, "made.txt")
Done
