// The registry file, shared by every process of the user.
//
// Before each use the file is read again if another process has replaced or
// changed it (its device, inode, size or times differ from the copy in
// memory). A change is a read-modify-write under an exclusive lock on
// "<file>.lock": the file is re-read, changed, written whole to "<file>.tmp",
// flushed to disk and renamed over the file, so writers at the same time lose
// nothing and a writer killed half-way leaves the old or the new file.
// A file that cannot be parsed is renamed to "<file>.broken-<time>", logged,
// and the registry starts empty rather than overwrite it.
#pragma once

#include "platform/registry/registrytree.h"

#include <functional>
#include <optional>
#include <string>

namespace win::internal {

// $BINOXA_REGISTRY, else $XDG_CONFIG_HOME/binoxa/registry.reg, else
// ~/.config/binoxa/registry.reg.
std::string RegistryFilePath();

// What tells one version of the file from another.
struct RegistryFileIdentity {
    bool present = false;
    unsigned long long device = 0, inode = 0;
    long long size = 0, modifiedSeconds = 0, modifiedNanoseconds = 0, changedSeconds = 0,
              changedNanoseconds = 0;

    bool operator==(const RegistryFileIdentity&) const = default;
};

class RegistryStore {
public:
    explicit RegistryStore(std::string path) : path(std::move(path)) {}

    const std::string& Path() const { return path; }

    // Calls `look` with the registry as the file holds it now; the result is
    // that of `look`, or the error that kept the file from being read.
    LONG Read(const std::function<LONG(const RegistryTree&)>& look);

    // Calls `change` on a copy of the registry as the file holds it now,
    // under the lock, and writes the copy when `change` succeeded and
    // changed something.
    LONG Modify(const std::function<LONG(RegistryTree&)>& change);

private:
    LONG Refresh(bool locked);
    LONG SetAside(int line, const std::string& problem);
    bool WriteAtomically(const std::string& text);
    void StartEmpty();

    std::string path;
    RegistryTree tree;
    std::optional<RegistryFileIdentity> loaded; // none until the file was first looked at
};

} // namespace win::internal
