#include "tools/render/Outputs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

OutputFolder::~OutputFolder()
{
    for (const std::string& t : temps) ::unlink(t.c_str());
    for (const std::string& s : scratches) ::unlink(s.c_str());
}

bool OutputFolder::open(const std::string& path, std::string& error)
{
    dir = path.empty() ? "." : path;
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0) {
        if (errno != ENOENT || ::mkdir(dir.c_str(), 0777) != 0) {
            error = "cannot create output folder " + dir + ": " + std::strerror(errno);
            return false;
        }
    } else if (!S_ISDIR(st.st_mode)) {
        error = "output " + dir + " is not a folder";
        return false;
    }
    // access() can be fooled (read-only mounts, root); a real file cannot.
    const std::string probe = tempPath("probe");
    std::FILE* f = std::fopen(probe.c_str(), "wb");
    if (!f) {
        error = "cannot write to output folder " + dir + ": " + std::strerror(errno);
        return false;
    }
    std::fclose(f);
    ::unlink(probe.c_str());
    return true;
}

std::string OutputFolder::tempPath(const std::string& label) const
{
    return dir + "/." + label + ".render-" + std::to_string(::getpid()) + ".tmp";
}

std::string OutputFolder::stage(const std::string& finalName)
{
    const std::string t = tempPath(finalName);
    names.push_back(finalName);
    temps.push_back(t);
    return t;
}

std::string OutputFolder::scratch(const std::string& label)
{
    const std::string s = tempPath(label);
    scratches.push_back(s);
    return s;
}

std::string OutputFolder::finalPath(const std::string& finalName) const { return dir + "/" + finalName; }

bool OutputFolder::commit(std::string& error)
{
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (::rename(temps[i].c_str(), finalPath(names[i]).c_str()) != 0) {
            error = "cannot rename " + temps[i] + " to " + finalPath(names[i]) + ": " + std::strerror(errno);
            // What was already renamed is complete; the rest is removed.
            temps.erase(temps.begin(), temps.begin() + static_cast<long>(i));
            names.erase(names.begin(), names.begin() + static_cast<long>(i));
            return false;
        }
    }
    temps.clear();
    names.clear();
    for (const std::string& s : scratches) ::unlink(s.c_str());
    scratches.clear();
    return true;
}
