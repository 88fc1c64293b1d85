#pragma once
// The plant as the simulator plays it: one step per second of the values the
// controller records. Plausible rather than exact: the suspension would settle
// well above any setpoint undiluted, and wanders with the feed; in automatic
// mode the controller's PI loop moves the dilution valve (at the speed of its
// actuator) so that the density holds its setpoint, in manual mode the valve
// stays where it was left and the density drifts. The divider keeps the
// conditioned sump near its mark, and a stopped plant drains to water density.
//
// It runs where the workstation's charts look: the density near the middle of
// the setpoint range (1600-2100 kg/m3), above the bottom of the density chart
// (1700 kg/m3), with the valve in the middle of its travel.

#include <QString>
#include <QStringList>
#include <random>

struct PlantValues {
    // The working point: the density setpoint and the valve position that holds it.
    static constexpr double kSetpoint = 1900;
    static constexpr double kValve = 40;
    double PLS = kSetpoint, PLSZ = kSetpoint, URKS = 60, URNS = 45, VODA1 = kValve, DSUS = 50, _PLSZ = kSetpoint,
           AR1 = 0;
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
    // Upsets for the alarms' demo, tests and training (the journal line, or
    // empty for an unknown name):
    //   density   the dilution water fails: the density climbs off its setpoint
    //   overflow  the divider sticks: the conditioned sump fills to overflowing
    //   chatter   the unconditioned sump's level hovers at 90 %, its alarm limit
    //   clear     every upset ends; the plant comes back by itself
    QString SetUpset(const QString& name);
    // The upsets in force, by name.
    QStringList Upsets() const;

    // One second of the plant; events worth a journal line are appended.
    void Step(QStringList* journal = nullptr);

private:
    double Noise(double sd) { return std::normal_distribution<double>(0.0, sd)(rng_); }

    std::mt19937 rng_;
    PlantValues v_;
    bool running_ = true;
    bool manual_ = false;
    bool ksHigh_ = false;
    bool densityUpset_ = false, overflowUpset_ = false, chatterUpset_ = false;
    bool nsReturning_ = false; // after a chatter, the level goes back to its working point
    long t_ = 0;
    double seen_ = PlantValues::kSetpoint;     // the density as the controller's filter sees it
    double integral_ = PlantValues::kValve;    // the integral part of the valve's command
};
