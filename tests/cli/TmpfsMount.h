#pragma once

#include <filesystem>
#include <string>

// A small tmpfs mounted on an empty folder for the life of the object: a file system that
// really fills up or really refuses writes, which permission bits cannot give a root process.
class TmpfsMount {
public:
    TmpfsMount(const std::filesystem::path& where, const std::string& size);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    // False when this process may not mount; Why() says what happened.
    bool Mounted() const { return m_mounted; }
    const std::string& Why() const { return m_why; }
    void RemountReadOnly();

private:
    std::filesystem::path m_where;
    bool m_mounted = false;
    std::string m_why;
};
