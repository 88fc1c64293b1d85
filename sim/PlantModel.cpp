#include "PlantModel.h"

#include <algorithm>
#include <cmath>

namespace {
double Clamp(double v, double lo, double hi) { return std::max(lo, std::min(hi, v)); }
constexpr double kWaterDensity = 1000.0;
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

void PlantModel::Step(QStringList* journal) {
    ++t_;
    // A slow disturbance of the feed (coal quality) plus measurement noise.
    const double feed = 6.0 * std::sin(t_ / 170.0) + 3.0 * std::sin(t_ / 47.0);
    if (running_) {
        const double target = manual_ ? v_.PLSZ + 40.0 * std::sin(t_ / 300.0) : v_.PLSZ;
        // Water dilutes: the more the valve opens, the lower the density.
        const double valveEffect = (v_.VODA1 - 35.0) * 0.6;
        v_.PLS += (target - valveEffect + feed - v_.PLS) / 45.0 + Noise(1.5);
        if (!manual_)
            v_.VODA1 = Clamp(v_.VODA1 + 0.04 * (v_.PLS - v_.PLSZ) + Noise(0.2), 0, 100);
        v_.DSUS = Clamp(50 + 2.0 * (60 - v_.URKS) + Noise(0.8), 0, 100);
        v_.URKS = Clamp(v_.URKS + 0.02 * (v_.DSUS - 50) + 0.05 * std::sin(t_ / 90.0) + Noise(0.15), 2, 98);
        v_.URNS = Clamp(v_.URNS + 0.02 * (50 - v_.DSUS) + 0.04 * std::cos(t_ / 70.0) + Noise(0.15), 2, 98);
    } else {
        v_.PLS += (kWaterDensity - v_.PLS) / 30.0 + Noise(0.5);
        v_.VODA1 = Clamp(v_.VODA1 - 2.0, 0, 100);
        v_.URKS = Clamp(v_.URKS - 0.03, 2, 98);
        v_.URNS = Clamp(v_.URNS + 0.03, 2, 98);
    }
    const bool ksHigh = v_.URKS > 85;
    if (journal && ksHigh != ksHigh_)
        journal->append(ksHigh ? QStringLiteral("Уровень в сборнике кондиционной суспензии выше 85 %")
                               : QStringLiteral("Уровень в сборнике кондиционной суспензии в норме"));
    ksHigh_ = ksHigh;
}
