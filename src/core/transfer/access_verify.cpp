#include "core/transfer/access_verify.h"

#include <QStringList>

namespace zep::transfer {

QString compare_access_lists(const access_ids& sent, const access_ids& held, bool schedules) {
    QStringList differing;
    int missing = 0, unexpected = 0, changed = 0;
    for (auto it = sent.cbegin(); it != sent.cend(); ++it) {
        const auto there = held.constFind(it.key());
        if (there == held.cend()) {
            ++missing;
            differing << QString::fromLatin1(it.key()) + QStringLiteral(" missing");
        } else if (schedules && *there != it.value()) {
            ++changed;
            differing << QString::fromLatin1(it.key()) + QStringLiteral(" schedule");
        }
    }
    for (auto it = held.cbegin(); it != held.cend(); ++it) {
        if (!sent.contains(it.key())) {
            ++unexpected;
            differing << QString::fromLatin1(it.key()) + QStringLiteral(" unexpected");
        }
    }
    if (missing + unexpected + changed == 0) {
        return QStringLiteral("Verify complete - %1 IDs match").arg(sent.size());
    }
    differing.sort();
    return QStringLiteral("Verify failed - %1 missing, %2 unexpected, %3 with another schedule")
               .arg(missing)
               .arg(unexpected)
               .arg(changed) +
           QLatin1Char('\r') + differing.mid(0, 10).join(QLatin1Char('\r'));
}

}  // namespace zep::transfer
