// Viewer.h - showing a document to the user: the program that opens PDF
// files on this system, a file of the temporary folder to hand it, and the
// shell's "open" of that file. Client's thread only (the shell's calls want
// the caller's apartment).
#ifndef DEVICEIPP_VIEWER_H
#define DEVICEIPP_VIEWER_H

#include <windows.h>

#include <string>

// True when a program opens PDF files here: the file type's "open" command
// (AssocQueryString: its executable, else its command line, else a
// DelegateExecute handler, which is how packaged apps register). `program`
// receives what was found, for the journal.
bool FindPdfViewer(std::string& program);

// Writes `data` to "<temporary folder>\Device Service\<name>.pdf", the name
// reduced to letters, digits, blanks, '-' and '_' (at most 80 of them). A
// file the viewer still holds open is left alone and " (2)" to " (9)" is
// tried instead, so the folder holds at most ten files of one name. `path`
// receives the file's path.
HRESULT WriteViewFile(const std::string& name, const std::string& data, std::string& path);

// ShellExecuteEx "open" of the file, without the shell's own error boxes
// (SEE_MASK_FLAG_NO_UI) and waiting until the program was started
// (SEE_MASK_NOASYNC). The shell's failure as an HRESULT.
HRESULT OpenInViewer(const std::string& path);

#endif // DEVICEIPP_VIEWER_H
