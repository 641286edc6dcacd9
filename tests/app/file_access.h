// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Makes file modes hold for this thread while it lives, also when the tests run as root: the
// capabilities that let root read and write any file are set aside and given back after.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace olv::testing {

class FileModesHold {
public:
    FileModesHold() {
        if (::geteuid() != 0)
            return;
        if (::syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            reduced[cap / 32].effective &= ~(1u << (cap % 32));
        set_aside_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~FileModesHold() {
        if (set_aside_)
            ::syscall(SYS_capset, &header_, saved_);
    }
    FileModesHold(const FileModesHold&) = delete;
    FileModesHold& operator=(const FileModesHold&) = delete;

    // False when root keeps its override (no way to set it aside here).
    bool holds() const { return ::geteuid() != 0 || set_aside_; }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2] = {};
    bool set_aside_ = false;
};

} // namespace olv::testing
