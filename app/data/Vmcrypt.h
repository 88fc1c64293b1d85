#pragma once
// Scrambling of the stored database password. No secret is involved: each
// stored text carries what is needed to read it back, and scrambling the same
// password twice gives different texts. The scheme is shared with existing
// workstations, whose configuration files carry such passwords, so it must stay
// exactly as it is, bit for bit.

#include <QByteArray>
#include <QString>
#include <random>
#include <stdexcept>

class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ScramblerState {
    ScramblerState(); // seeded from the clock
    explicit ScramblerState(unsigned seed);

    char digits[17] = "0123456789ABCDEF";
    char alphabet[17] = {};        // the substitution alphabet of the last call
    unsigned char table[16][256];  // row i, column j: (base[i] + j) mod 256
    unsigned char lead = 0;
    unsigned char base[16] = {};
    std::mt19937 rng;

    void BuildTable();
};

extern ScramblerState g_ScramblerState;

// A normally distributed byte: mean 128, standard deviation 43 (Marsaglia's
// polar method), truncated toward zero and clamped to 0..255.
unsigned char RandomByte(ScramblerState& state);

// Byte level: 50 + 4n characters for n clear bytes, all between "0" and "Z".
QByteArray ScrambleBytes(ScramblerState& state, const QByteArray& clear);
// Throws EConvertError when the text is too short to hold the lead and base bytes.
QByteArray UnscrambleBytes(ScramblerState& state, const QByteArray& stored);

// The clear password is taken as Windows-1251 bytes. ScrambleText throws
// EConvertError for a password with characters outside that code page (it could
// not be read back); UnscrambleText throws it for a text not of the scrambled form.
QString ScrambleText(ScramblerState& state, const QString& clear);
QString UnscrambleText(ScramblerState& state, const QString& stored);
