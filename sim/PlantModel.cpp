#include "PlantModel.h"

#include <algorithm>
#include <cmath>

namespace {
double Clamp(double v, double lo, double hi) {
    return std::max(lo, std::min(hi, v));
}
constexpr double kWaterDensity = 1000.0;
// Undiluted, the suspension settles at this density; each percent of the
// dilution valve's opening takes this much off (so 40 % holds 1900 kg/m3,
// and the valve's travel covers the whole setpoint range).
constexpr double kUndiluted = 2180.0;
constexpr double kPerValvePercent = 7.0;
constexpr double kLagSeconds = 45.0;
// The controller: a PI loop on the filtered density (gain in % per kg/m3,
// integral time about the plant's lag), and an actuator that travels at most
// this many percent a second.
constexpr double kGain = 0.12;
constexpr double kIntegralSeconds = 50.0;
constexpr double kFilterSeconds = 6.0;
constexpr double kValveSpeed = 1.0;
} // namespace

PlantModel::PlantModel(unsigned seed) : rng_(seed) {}

QString PlantModel::SetRunning(bool running) {
    if (running == running_)
        return QString();
    running_ = running;
    return running ? QStringLiteral("Секция запущена") : QStringLiteral("Секция остановлена");
}

QString PlantModel::SetManual(bool manual) {
    if (manual == manual_)
        return QString();
    manual_ = manual;
    v_.AR1 = manual ? 1 : 0;
    return manual ? QStringLiteral("Переход в ручной режим управления плотностью")
                  : QStringLiteral("Переход в автоматический режим управления плотностью");
}

QString PlantModel::TakeDensitySetpoint(double value, const QString& user) {
    const QString line = QStringLiteral("Задание плотности суспензии: %1 → %2 кг/м3 (%3)")
                             .arg(QString::number(v_.PLSZ, 'g', 10), QString::number(value, 'g', 10), user);
    v_._PLSZ = value;
    v_.PLSZ = value;
    return line;
}

QString PlantModel::SetUpset(const QString& name) {
    if (name == QLatin1String("density")) {
        densityUpset_ = true;
        return QStringLiteral("Нарушение: пропала вода на разбавление суспензии");
    }
    if (name == QLatin1String("overflow")) {
        overflowUpset_ = true;
        return QStringLiteral(
            "Нарушение: делитель потока заклинило, сборник кондиционной суспензии переполняется");
    }
    if (name == QLatin1String("chatter")) {
        chatterUpset_ = true;
        nsReturning_ = false;
        return QStringLiteral("Нарушение: уровень в сборнике некондиционной суспензии колеблется у предела");
    }
    if (name == QLatin1String("clear")) {
        nsReturning_ = true; // a level the upsets left high comes back to its working point
        densityUpset_ = overflowUpset_ = chatterUpset_ = false;
        return QStringLiteral("Нарушения устранены");
    }
    return QString();
}

QStringList PlantModel::Upsets() const {
    QStringList s;
    if (densityUpset_)
        s << QStringLiteral("density");
    if (overflowUpset_)
        s << QStringLiteral("overflow");
    if (chatterUpset_)
        s << QStringLiteral("chatter");
    return s;
}

void PlantModel::Step(QStringList* journal) {
    ++t_;
    // The feed (coal quality, magnetite carried off) moves the density the
    // suspension would settle at: slow swings and a quicker ripple.
    const double feed = 20.0 * std::sin(t_ / 900.0) + 8.0 * std::sin(t_ / 230.0) + 3.0 * std::sin(t_ / 47.0);
    if (running_) {
        // Without dilution water the valve opens to no avail.
        const double settles = kUndiluted + feed - (densityUpset_ ? 0 : kPerValvePercent * v_.VODA1);
        v_.PLS += (settles - v_.PLS) / kLagSeconds + Noise(0.8);
        seen_ += (v_.PLS - seen_) / kFilterSeconds;
        if (!manual_) {
            // Too dense: more water. The integral stops where the valve does
            // (no wind-up against a closed or fully open valve).
            const double error = seen_ - v_.PLSZ;
            integral_ = Clamp(integral_ + kGain * error / kIntegralSeconds, 0, 100);
            const double command = Clamp(integral_ + kGain * error, 0, 100);
            v_.VODA1 = Clamp(command, v_.VODA1 - kValveSpeed, v_.VODA1 + kValveSpeed);
        } else {
            // The operator holds the valve; automatic takes over from there.
            integral_ = v_.VODA1;
        }
        v_.DSUS = Clamp(50 + 2.0 * (60 - v_.URKS) + Noise(0.8), 0, 100);
        v_.URKS = Clamp(v_.URKS + 0.02 * (v_.DSUS - 50) + 0.05 * std::sin(t_ / 90.0) + Noise(0.15), 2, 98);
        v_.URNS = Clamp(v_.URNS + 0.02 * (50 - v_.DSUS) + 0.04 * std::cos(t_ / 70.0) + Noise(0.15), 2, 98);
        if (overflowUpset_)
            v_.URKS = Clamp(v_.URKS + 1.0, 2, 98);
    } else {
        v_.PLS += (kWaterDensity - v_.PLS) / 30.0 + Noise(0.5);
        seen_ = v_.PLS;
        v_.VODA1 = Clamp(v_.VODA1 - 2.0, 0, 100);
        integral_ = v_.VODA1;
        v_.URKS = Clamp(v_.URKS - 0.03, 2, 98);
        v_.URNS = Clamp(v_.URNS + 0.03, 2, 98);
    }
    if (chatterUpset_) {
        v_.URNS = Clamp(90 + 2.5 * std::sin(t_ * 2 * M_PI / 12) + Noise(0.3), 2, 98);
    } else if (nsReturning_) {
        v_.URNS -= std::min(1.0, v_.URNS - 45);
        nsReturning_ = v_.URNS > 46;
    }
    const bool ksHigh = v_.URKS > 85;
    if (journal && ksHigh != ksHigh_)
        journal->append(ksHigh ? QStringLiteral("Уровень в сборнике кондиционной суспензии выше 85 %")
                               : QStringLiteral("Уровень в сборнике кондиционной суспензии в норме"));
    ksHigh_ = ksHigh;
}
