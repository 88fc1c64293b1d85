#pragma once
// For its lifetime the calling thread obeys file permissions even as root: it
// drops the capabilities that let root read and write any file from its
// effective set (they stay permitted and come back at the end). Active() is
// false when permissions cannot be enforced for this process.

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

class ObeyPermissions {
public:
    ObeyPermissions() {
        if (::geteuid() != 0) {
            active_ = true;
            return;
        }
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        if (::syscall(SYS_capget, &header, saved_) != 0)
            return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        dropped_ = active_ = ::syscall(SYS_capset, &header, reduced) == 0;
    }
    ~ObeyPermissions() {
        if (dropped_) {
            __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
            ::syscall(SYS_capset, &header, saved_);
        }
    }
    ObeyPermissions(const ObeyPermissions&) = delete;
    ObeyPermissions& operator=(const ObeyPermissions&) = delete;
    bool Active() const { return active_; }

private:
    __user_cap_data_struct saved_[2] = {};
    bool active_ = false;
    bool dropped_ = false;
};
