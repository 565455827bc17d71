// A power service that shuts nothing down and writes down what it is asked, for the tests of code that asks.
#pragma once

#include "platform/power/power_service.h"

#include <QString>
#include <vector>

namespace qx {

class FakePowerService final : public PowerService {
public:
    void powerOff() override { calls.push_back(QStringLiteral("PowerOff")); }
    void reboot() override { calls.push_back(QStringLiteral("Reboot")); }

    std::vector<QString> calls; // "PowerOff", "Reboot", in the order asked
};

} // namespace qx
