#pragma once

#include <string>
#include <unordered_map>
#include <vector>

// The outputs of a batch, by name, looked up in constant time however long the batch: the same
// name, and the names that a file system ignoring case could take for it. Holds each name once,
// plus its folded key.
class BatchOutputs {
public:
    void Add(const std::string& name);
    bool Contains(const std::string& name) const;
    // The names added that differ from name, if at all, only where a file system that ignores
    // case might see no difference: ASCII letters in either case, and any two bytes beyond
    // ASCII, whichever letters of whichever encoding they are (such a pair only costs a question
    // to the file system), and a verbatim name and the usual one of the same path.
    std::vector<std::string> AlikeTo(const std::string& name) const;
    // Every name added, in no particular order.
    std::vector<std::string> All() const;

private:
    static std::string Folded(const std::string& name);

    std::unordered_multimap<std::string, std::string> m_byFolded;
};
