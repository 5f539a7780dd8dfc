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
