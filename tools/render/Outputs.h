// The output folder: every file is written under a temporary name beside its
// final one and renamed only when the whole render has succeeded, so a
// failed run never leaves a partial show.* behind.
#pragma once

#include <string>
#include <vector>

class OutputFolder {
public:
    OutputFolder() = default;
    // Removes every temporary file that was not committed.
    ~OutputFolder();
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

    // Uses dir, creating it (one level) when missing, and proves it writable.
    bool open(const std::string& dir, std::string& error);

    // A temporary name for the final file name, registered for commit.
    std::string stage(const std::string& finalName);
    // A temporary name for a file that is never kept.
    std::string scratch(const std::string& label);

    std::string finalPath(const std::string& finalName) const;
    const std::vector<std::string>& stagedNames() const { return names; }

    // Renames every staged file to its final name and removes the scratch
    // files. False, with the reason, when one cannot be renamed.
    bool commit(std::string& error);

private:
    std::string tempPath(const std::string& label) const;

    std::string dir;
    std::vector<std::string> names;
    std::vector<std::string> temps;
    std::vector<std::string> scratches;
};
