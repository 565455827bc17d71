// Shut-down and restart of the machine, asked of the system's login manager.
#pragma once

#include <memory>

namespace qx {

// Each request is made once and returns at once. Whether the system agrees is not waited for and not reported: a
// refusal, a login manager that is missing or does not answer, or no system bus at all changes nothing for the caller.
class PowerService {
public:
    virtual ~PowerService() = default;
    virtual void powerOff() = 0;
    virtual void reboot() = 0;
};

// Asks systemd-logind on the system bus (org.freedesktop.login1.Manager.PowerOff / Reboot, interactive, so that the
// system may ask the user for the right to do it).
std::unique_ptr<PowerService> makeLogindPowerService();

} // namespace qx
