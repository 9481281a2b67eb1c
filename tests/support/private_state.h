// A state folder of the process's own for as long as this object lives: the
// window's recovery logs go there, so a test or benchmark never touches the
// user's, is never asked about logs that another run left behind, and leaves
// nothing when it ends.
#pragma once

#include <stdlib.h>

#include <QDir>
#include <string>

class PrivateStateFolder {
public:
    PrivateStateFolder() {
        char path[] = "/tmp/kvr-state-XXXXXX";
        if (::mkdtemp(path) == nullptr) return;
        path_ = path;
        ::setenv("XDG_STATE_HOME", path, 1);
    }
    ~PrivateStateFolder() {
        if (!path_.empty()) QDir(QString::fromStdString(path_)).removeRecursively();
    }
    PrivateStateFolder(const PrivateStateFolder&) = delete;
    PrivateStateFolder& operator=(const PrivateStateFolder&) = delete;

private:
    std::string path_;
};
