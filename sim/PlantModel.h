#pragma once
// The plant as the simulator plays it: one step per second of the values the
// controller records. Plausible rather than exact: the density follows its
// setpoint with lag and noise while the dilution valve works against the
// error in automatic mode, the divider keeps the conditioned sump near its
// mark, and a stopped plant drains to water density.

#include <QString>
#include <QStringList>
#include <random>

struct PlantValues {
    double PLS = 1700, PLSZ = 1700, URKS = 60, URNS = 45, VODA1 = 35, DSUS = 50, _PLSZ = 1700, AR1 = 0;
};

class PlantModel {
public:
    explicit PlantModel(unsigned seed = 1);

    const PlantValues& Values() const { return v_; }
    bool Running() const { return running_; }
    bool Manual() const { return manual_; }

    // Each returns the journal line of the change (empty when nothing changed).
    QString SetRunning(bool running);
    QString SetManual(bool manual);
    QString TakeDensitySetpoint(double value, const QString& user);

    // One second of the plant; events worth a journal line are appended.
    void Step(QStringList* journal = nullptr);

private:
    double Noise(double sd) { return std::normal_distribution<double>(0.0, sd)(rng_); }

    std::mt19937 rng_;
    PlantValues v_;
    bool running_ = true;
    bool manual_ = false;
    bool ksHigh_ = false;
    long t_ = 0;
};
