// ComStateFile.h - ComStateFile: a server's state file, written whole or not
// at all, and the helpers for reading it.
//
// The file is text, one line each:
//
//     <header>                    the server's, e.g. "DeviceSim state 1"
//     <record>                    any number of the server's own record lines
//     end <record count> <check>
//
// <check> is the FNV-1a hash (8 hex digits) of the record lines, each with its
// "\n". A save writes the whole file to <path>.tmp and then moves it over
// <path> (MoveFileEx, write-through), so <path> is never half-written and a
// <path>.tmp left by a crash is never read. A load takes the file whole or
// reports it and takes nothing: a missing header or end line, anything after
// the end line, a wrong count or check, or a record that the server refuses.
//
// Where it lives: the file that the server's environment variable names, else
// <local application data>\<folder>\<name> (the user's own folder, which a
// standard user can write to wherever the server is installed); the folders
// below the local application data folder are made when a save needs them.
//
// For tests, <interrupt variable>=<bytes> stops every save after that many
// bytes of <path>.tmp, without the move, as if the process had been killed
// there.
#ifndef COMSERVER_COMSTATEFILE_H
#define COMSERVER_COMSTATEFILE_H

#include <functional>
#include <string>
#include <vector>

class ComStateFile
{
public:
    ComStateFile();
    // header: the file's first line; interruptVariable: the test hook's
    // environment variable.
    ComStateFile(const std::string& header, const std::string& interruptVariable);

    // Chooses the file: the one that `variable` names when it is set, else
    // <local application data>\<folder>\<name> (folder may hold a backslash,
    // "Vendor\Server"). Without a local application data folder (reported)
    // the file goes beside the server's DLL.
    void Locate(const char* variable, const char* folder, const char* name);
    const std::string& Path() const { return m_path; }

    enum LoadResult
    {
        STATE_MISSING,      // there is no file: nothing to load, nothing reported
        STATE_BROKEN,       // not whole and consistent: reported "state: <path>: <problem>; ignored"
        STATE_LOADED        // every record was handed to `take`
    };
    // Reads and checks the file, handing each record line, split into its
    // blank-separated words, to take; take returns false for a record it
    // cannot read, which breaks the file. take must only collect: the records
    // count only when the result is STATE_LOADED.
    LoadResult Load(const std::function<bool(const std::vector<std::string>& words)>& take) const;

    // Writes the records (lines without their "\n") as the whole new file.
    // Returns false, reported in the journal and the debugger output, when
    // the file cannot be written; the old file then stays as it was.
    bool Save(const std::vector<std::string>& records) const;

private:
    bool MakeFolders() const;

    std::string m_header;
    std::string m_interruptVariable;
    std::string m_path;
    std::string m_base;     // "" or the folder below which Save makes missing folders
};

// Reads a whole file (up to 64 MiB) into text; false, with the problem, when
// it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& text, std::string& problem);

// A decimal number that is the whole text, in the range of long.
bool ComParseLong(const std::string& text, long& value);

#endif // COMSERVER_COMSTATEFILE_H
