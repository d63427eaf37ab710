// Takes away the rights that let root write anywhere, for as long as it lives: the
// file-system user of this (the only) thread becomes "nobody". For tests of files that cannot
// be written, which root could otherwise write.
#pragma once

#include <sys/fsuid.h>
#include <unistd.h>

namespace qvtest {

class WithoutRootFileRights
{
public:
    WithoutRootFileRights()
    {
        if (geteuid() == 0)
            setfsuid(65534);
    }
    ~WithoutRootFileRights()
    {
        if (geteuid() == 0)
            setfsuid(0);
    }
};

} // namespace qvtest
