#include "Vmcrypt.h"

#include "Cp1251.h"

#include <chrono>
#include <cmath>

ScramblerState g_ScramblerState;

ScramblerState::ScramblerState()
    : ScramblerState(unsigned(std::chrono::steady_clock::now().time_since_epoch().count() ^
                              std::chrono::system_clock::now().time_since_epoch().count())) {}

ScramblerState::ScramblerState(unsigned seed) : rng(seed) { BuildTable(); }

void ScramblerState::BuildTable() {
    for (int i = 0; i < 16; ++i)
        for (int j = 0; j < 256; ++j)
            table[i][j] = static_cast<unsigned char>((base[i] + j) % 256);
}

unsigned char RandomByte(ScramblerState& state) {
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    double u, v, s;
    do {
        u = 2.0 * uniform(state.rng) - 1.0;
        v = 2.0 * uniform(state.rng) - 1.0;
        s = u * u + v * v;
    } while (s >= 1.0 || s == 0.0);
    const double z = u * std::sqrt(-2.0 * std::log(s) / s);
    const double value = std::trunc(128.0 + 43.0 * z);
    return static_cast<unsigned char>(value < 0 ? 0 : value > 255 ? 255 : value);
}

QByteArray ScrambleBytes(ScramblerState& state, const QByteArray& clear) {
    state.lead = RandomByte(state);
    for (auto& b : state.base)
        b = RandomByte(state);
    state.BuildTable();

    QByteArray hex;
    auto put = [&](unsigned char b) {
        hex += state.digits[b >> 4];
        hex += state.digits[b & 15];
    };
    put(state.lead);
    for (const auto b : state.base)
        put(b);
    for (const char ch : clear) {
        const auto c = static_cast<unsigned char>(ch);
        const unsigned char r = RandomByte(state);
        const unsigned char* row = state.table[r % 16];
        int k = 0;
        while (row[k] != c) // every row holds all 256 values
            ++k;
        put(r);
        put(static_cast<unsigned char>(k));
    }

    int chosen = 0;
    while (chosen < 16) {
        const unsigned char c = RandomByte(state);
        if (c < 48 || c > 90)
            continue;
        bool taken = false;
        for (int i = 0; i < chosen; ++i)
            taken = taken || static_cast<unsigned char>(state.alphabet[i]) == c;
        if (!taken)
            state.alphabet[chosen++] = char(c);
    }
    state.alphabet[16] = 0;

    QByteArray out;
    out.reserve(hex.size() + 16);
    for (const char d : hex)
        out += state.alphabet[d <= '9' ? d - '0' : d - 'A' + 10];
    out.append(state.alphabet, 16);
    return out;
}

QByteArray UnscrambleBytes(ScramblerState& state, const QByteArray& stored) {
    const QByteArray alpha = stored.right(16);
    const QByteArray body = stored.left(stored.size() - alpha.size());
    QByteArray hex;
    for (const char c : body) {
        const int i = alpha.indexOf(c);
        if (i >= 0)
            hex += state.digits[i];
    }
    int pos = 0;
    auto next = [&]() -> unsigned char {
        if (pos + 2 > hex.size())
            throw EConvertError("'" + hex.mid(pos).toStdString() + "' is not a valid integer value");
        const unsigned char b = static_cast<unsigned char>(hex.mid(pos, 2).toUInt(nullptr, 16));
        pos += 2;
        return b;
    };
    state.lead = next();
    for (auto& b : state.base)
        b = next();
    state.BuildTable();
    QByteArray clear;
    while (hex.size() - pos > 3) {
        const unsigned char r = next();
        const unsigned char k = next();
        clear += char(state.table[r % 16][k]);
    }
    return clear;
}

QString ScrambleText(ScramblerState& state, const QString& clear) {
    const auto bytes = StringToCp1251(clear);
    if (!bytes)
        throw EConvertError("the password has characters outside the Windows-1251 code page");
    return QString::fromLatin1(ScrambleBytes(state, *bytes));
}

QString UnscrambleText(ScramblerState& state, const QString& stored) {
    // A character of the code page that is not in the text's alphabet is
    // dropped, as the scheme says. One outside the code page (a hand-edited
    // file) cannot come from a scrambled text at all: it would otherwise turn
    // into "?", which lies inside the alphabet's range and could be read as a
    // digit, giving a wrong password instead of an error.
    const auto bytes = StringToCp1251(stored);
    if (!bytes)
        throw EConvertError("the stored password has characters outside the Windows-1251 code page");
    return Cp1251ToString(UnscrambleBytes(state, *bytes));
}
