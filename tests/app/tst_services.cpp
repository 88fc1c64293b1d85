// The password scrambler, the event queue and the state colour sets.

#include "About.h"
#include "ColorSets.h"
#include "Cp1251.h"
#include "Database.h"
#include "Eventlog.h"
#include "Bladewheel.h"
#include "Conusbox.h"
#include "Fan.h"
#include "Global.h"
#include "IniFile.h"
#include "Layout.h"
#include "Mixer.h"
#include "Separator.h"
#include "Services.h"
#include "Skat.h"
#include "Valve.h"
#include "Startup.h"

#include <QApplication>
#include <QFontInfo>
#include <QPushButton>
#include "TestSupport.h"
#include "Vmcrypt.h"

#include <QFile>
#include <QSet>
#include <cmath>

class TstServices : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void scrambledTextForm_data() {
        QTest::addColumn<QString>("clear");
        QTest::newRow("one byte") << "x";
        QTest::newRow("latin") << "70918263";
        QTest::newRow("cyrillic") << "Пароль-ЁЯя";
        QTest::newRow("upper half and punctuation") << QString("№;=«»") + QChar(0x00A0);
        QTest::newRow("long") << QString(200, 'z');
    }
    void scrambledTextForm() {
        QFETCH(QString, clear);
        ScramblerState state(12345);
        const QString a = ScrambleText(state, clear);
        const QString b = ScrambleText(state, clear);
        QVERIFY(a != b);
        QCOMPARE(a.size(), 50 + 4 * clear.size());
        for (const QChar c : a)
            QVERIFY2(c >= '0' && c <= 'Z', qPrintable(a));
        const QString alphabet = a.right(16);
        QCOMPARE(QSet<QChar>(alphabet.begin(), alphabet.end()).size(), 16);
        QCOMPARE(UnscrambleText(state, a), clear);
        QCOMPARE(UnscrambleText(state, b), clear);
    }

    void readsTextsScrambledElsewhere() {
        // Produced by an independent implementation of the scheme.
        ScramblerState state(1);
        QCOMPARE(UnscrambleText(state, "6R9<X68CBRJSUU8<7<8JBX<G<7BJTUBG<;8G68J4STTB<C848RXU8R8;<ST87J8TX9S8BJ9R7TC;6UX<G4"),
                 QString("Пароль-1"));
        QCOMPARE(UnscrambleText(state, "5Q555Q<1U5YDUYDV5LXOL>M51U0B5QUVVQMV>115MM1MVD<1QBQOUQV1MDLU<Q>XBO0Z5Y"),
                 QString("ordal"));
    }

    void randomBytesAreNormalAroundTheMiddle() {
        ScramblerState state(7);
        double sum = 0, sq = 0;
        const int n = 20000;
        for (int i = 0; i < n; ++i) {
            const double v = RandomByte(state);
            sum += v;
            sq += v * v;
        }
        const double mean = sum / n, sd = std::sqrt(sq / n - mean * mean);
        QVERIFY2(mean > 126 && mean < 129, qPrintable(QString::number(mean)));
        QVERIFY2(sd > 40 && sd < 45, qPrintable(QString::number(sd)));
    }

    void badStoredTexts_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("throws");
        QTest::newRow("only an alphabet") << "0123456789ABCDEF" << true;
        QTest::newRow("short") << "0123" << true;
        QTest::newRow("truncated header") << "5Q555Q<1U5YDUYDV5LXOL>M51U0B5QUVVQMV>1" << true;
        QTest::newRow("foreign characters") << "ÿÿÿÿ" << true;
        QTest::newRow("cyrillic body") << QString("ПППППППППППППППППППППППППППППППППППП") + "0123456789ABCDEF" << true;
        // A good text with a character no code page byte stands for (a
        // hand-edited file): an error, not a "?" that may pass for a digit.
        QString good;
        for (unsigned seed = 1; good.isEmpty() || good.right(16).contains('?'); ++seed) {
            ScramblerState s(seed);
            good = ScrambleText(s, "pw");
        }
        QTest::newRow("good") << good << false;
        QTest::newRow("outside the code page") << QString(good).insert(20, QChar(0x2713)) << true;
    }
    void badStoredTexts() {
        QFETCH(QString, stored);
        QFETCH(bool, throws);
        ScramblerState state(3);
        bool thrown = false;
        try {
            UnscrambleText(state, stored);
        } catch (const EConvertError&) {
            thrown = true;
        }
        QCOMPARE(thrown, throws);
    }

    void passwordOutsideCodePageIsRefused() {
        ScramblerState state(3);
        QVERIFY_THROWS_EXCEPTION(EConvertError, ScrambleText(state, QString::fromUtf8("密码")));
    }

    void sqlMoments_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("seconds"); // since 30.12.1899 00:00:00
        const double day = EncodeDate(2026, 12, 10) * kSecondsPerDay;
        QTest::newRow("date-time") << QByteArray("2026-12-10 07:05:09") << true << day + 7 * 3600 + 5 * 60 + 9;
        QTest::newRow("fraction") << QByteArray("2026-12-10 00:00:01.5") << true << day + 1.5;
        QTest::newRow("date") << QByteArray("2026-12-10") << true << day;
        QTest::newRow("time") << QByteArray("23:59:59") << true << 86399.0;
        QTest::newRow("zero date") << QByteArray("0000-00-00 00:00:00") << true << 0.0;
        QTest::newRow("leap day") << QByteArray("2028-02-29 12:00:00") << true
                                  << EncodeDate(2028, 2, 29) * kSecondsPerDay + 43200;
        QTest::newRow("no such day") << QByteArray("2026-02-30 00:00:00") << false << 0.0;
        QTest::newRow("minutes 60") << QByteArray("2026-12-10 10:60:00") << false << 0.0;
        QTest::newRow("cut short") << QByteArray("2026-12-10 10:0") << false << 0.0;
        QTest::newRow("text") << QByteArray("yesterday") << false << 0.0;
        QTest::newRow("empty") << QByteArray() << false << 0.0;
    }
    void sqlMoments() {
        QFETCH(QByteArray, text);
        QFETCH(bool, ok);
        QFETCH(double, seconds);
        TDateTime t = -1;
        QCOMPARE(ParseSqlDateTime(text.constData(), size_t(text.size()), t), ok);
        if (ok)
            QCOMPARE(qRound64(t * kSecondsPerDay * 10), qRound64(seconds * 10));
    }

    void resultTableReadsCellsByType() {
        TResultTable t;
        t.AddColumn("RecMoment", TResultTable::Type::DateTime);
        t.AddColumn("PLS", TResultTable::Type::Number);
        t.AddColumn("Comment", TResultTable::Type::Text);
        const QByteArray comment = QString("Плотность; 'x' \\").toUtf8();
        t.AppendRow({{"2026-12-10 12:00:00", 19}, {"1725.5", 6}, {comment.constData(), size_t(comment.size())}});
        t.AppendRow({{nullptr, 0}, {"abc", 3}, {"12.5", 4}});
        QCOMPARE(t.RowCount(), 2);
        QCOMPARE(t.ColumnIndex("pls"), 1);
        QCOMPARE(t.Number(0, 0), EncodeDate(2026, 12, 10) + 0.5);
        QCOMPARE(t.Text(0, 0), QString("2026-12-10 12:00:00"));
        QCOMPARE(t.Number(0, 1), 1725.5);
        QCOMPARE(t.Text(0, 2), QString::fromUtf8(comment));
        QVERIFY(t.IsNull(1, 0));
        QVERIFY(!t.Value(1, 0).isValid());
        QCOMPARE(t.Number(1, 1), 0.0); // no number: 0, as the grid shows it
        QCOMPARE(t.Number(1, 2), 12.5); // a number kept as text reads as a number
    }

    void eventQueue() {
        TEventFIFO small(5);
        QCOMPARE(small.Capacity(), 10);
        for (int i = 0; i < 10; ++i)
            QVERIFY(small.Push(QString("e%1").arg(i), 0));
        QVERIFY(!small.Push("e10", 0));
        QCOMPARE(small.WriteIndex(), 0);
        QCOMPARE(small.Entry(9).text, QByteArray("e9"));

        TP().Reset();
        QVERIFY(!LogEvent(QString(), 0));
        const int before = EventQueue.Count();
        for (int i = before; i < 400; ++i)
            QVERIFY(LogEvent(QStringLiteral("Ошибка в LoadConfig"), 0));
        QCOMPARE(TP().beeps, 0);
        QCOMPARE(EventQueue.Entry(0).text, StringToCp1251Lossy(QStringLiteral("Ошибка в LoadConfig")));
        QVERIFY(!LogEvent(QStringLiteral("Ошибка в SaveConfig()"), 0));
        QVERIFY(!LogEvent(QStringLiteral("Ошибка в SaveConfig()"), 0));
        QCOMPARE(TP().beeps, 2);
        QCOMPARE(EventQueue.Count(), 400);
    }

    void russianButtonsAndCyrillicFonts() {
        InitApplication(*qApp);
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Yes)->text().remove('&'), QString("Да"));
        QCOMPARE(box.button(QMessageBox::No)->text().remove('&'), QString("Нет"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text().remove('&'), QString("Отмена"));
        const QList<QPair<QString, QString>> fonts{{"MS Sans Serif", "Liberation Sans"},
                                                   {"Courier New Cyr", "Liberation Mono"},
                                                   {"Symbol", "Liberation Sans"},
                                                   {"Courier New", "Liberation Mono"},
                                                   {"Times New Roman", "Liberation Serif"},
                                                   {"Arial", "Liberation Sans"}};
        for (const auto& [named, real] : fonts) {
            const QFont f(named);
            QCOMPARE(QFontInfo(f).family(), real);
            QVERIFY(QFontMetrics(f).inFont(QChar(0x0416))); // Cyrillic Ж
        }
    }

    void shiftPeriods_data() {
        QTest::addColumn<int>("firstChange");
        QTest::addColumn<int>("increment");
        QTest::addColumn<int>("shift");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("stop");
        QTest::newRow("shift 1, next day") << 7 << 1 << 1 << "2026-03-11 07:00:00" << "2026-03-11 18:59:59";
        QTest::newRow("shift 2") << 7 << 0 << 2 << "2026-03-10 19:00:00" << "2026-03-11 06:59:59";
        QTest::newRow("shift 3: whole day") << 7 << 0 << 3 << "2026-03-10 07:00:00" << "2026-03-11 06:59:59";
        QTest::newRow("shift 0 as 3") << 8 << 0 << 0 << "2026-03-10 08:00:00" << "2026-03-11 07:59:59";
        QTest::newRow("midnight start") << 0 << 0 << 1 << "2026-03-10 00:00:00" << "2026-03-10 11:59:59";
    }
    void shiftPeriods() {
        QFETCH(int, firstChange);
        QFETCH(int, increment);
        QFETCH(int, shift);
        QFETCH(QString, start);
        QFETCH(QString, stop);
        FirstChangeStart = firstChange;
        DateIncrement = increment;
        TDateTime a = 0, b = 0;
        QVERIFY(GetShiftPeriod(EncodeDate(2026, 3, 10) + EncodeTime(15, 30, 0), shift, a, b));
        QCOMPARE(SqlDateTimeText(a), start);
        QCOMPARE(SqlDateTimeText(b), stop);
        FirstChangeStart = 7;
        DateIncrement = 0;
    }

    // The shift day a moment belongs to, across the first shift's start.
    void shiftDayOfAMoment_data() {
        QTest::addColumn<int>("firstChange");
        QTest::addColumn<int>("increment");
        QTest::addColumn<QString>("moment");
        QTest::addColumn<QString>("day");
        QTest::newRow("00:30: the night of the day before") << 7 << 0 << "2026-12-11 00:30:00.000"
                                                            << "2026-12-10";
        QTest::newRow("06:59:59") << 7 << 0 << "2026-12-11 06:59:59.000"
                                  << "2026-12-10";
        QTest::newRow("06:59:59.999") << 7 << 0 << "2026-12-11 06:59:59.999"
                                      << "2026-12-10";
        QTest::newRow("07:00:00") << 7 << 0 << "2026-12-11 07:00:00.000"
                                  << "2026-12-11";
        QTest::newRow("23:59:59") << 7 << 0 << "2026-12-11 23:59:59.000"
                                  << "2026-12-11";
        QTest::newRow("new year's night") << 7 << 0 << "2027-01-01 03:00:00.000"
                                          << "2026-12-31";
        QTest::newRow("day offset 1, 00:30") << 7 << 1 << "2026-12-11 00:30:00.000"
                                             << "2026-12-09";
        QTest::newRow("day offset 1, 07:00") << 7 << 1 << "2026-12-11 07:00:00.000"
                                             << "2026-12-10";
        QTest::newRow("day offset 1, 06:59:59") << 7 << 1 << "2026-12-11 06:59:59.000"
                                                << "2026-12-09";
        QTest::newRow("start 0, 00:00:00") << 0 << 0 << "2026-12-11 00:00:00.000"
                                           << "2026-12-11";
        QTest::newRow("start 0, 23:59:59") << 0 << 0 << "2026-12-10 23:59:59.000"
                                           << "2026-12-10";
        QTest::newRow("start 20, 19:59:59") << 20 << 0 << "2026-12-11 19:59:59.000"
                                            << "2026-12-10";
        QTest::newRow("start 20, 20:00:00") << 20 << 0 << "2026-12-11 20:00:00.000"
                                            << "2026-12-11";
        QTest::newRow("start 20, 00:30") << 20 << 0 << "2026-12-11 00:30:00.000"
                                         << "2026-12-10";
        QTest::newRow("start 20, offset 1, 20:00") << 20 << 1 << "2026-12-11 20:00:00.000"
                                                   << "2026-12-10";
    }
    void shiftDayOfAMoment() {
        QFETCH(int, firstChange);
        QFETCH(int, increment);
        QFETCH(QString, moment);
        QFETCH(QString, day);
        FirstChangeStart = firstChange;
        DateIncrement = increment;
        const TDateTime t = DateTimeFromQ(QDateTime::fromString(moment, "yyyy-MM-dd hh:mm:ss.zzz"));
        const TDateTime d = ShiftDayOf(t);
        QCOMPARE(FormatDateTime("yyyy-mm-dd", d), day);
        QCOMPARE(d, std::floor(d));
        // It is the day whose shift day holds the moment.
        TDateTime start = 0, stop = 0;
        GetShiftPeriod(d, 3, start, stop);
        auto ms = [](TDateTime x) { return std::llround(x * 86400000.0); };
        QVERIFY2(ms(start) <= ms(t) && ms(t) < ms(stop) + 1000,
                 qPrintable(SqlDateTimeText(start) + " .. " + SqlDateTimeText(stop)));
        FirstChangeStart = 7;
        DateIncrement = 0;
    }

    void rangeClauseAndStepWrap() {
        const TDateTime t = EncodeDate(2026, 12, 10) + EncodeTime(7, 0, 0);
        QCOMPARE(RangeClause(t, t + EncodeTime(11, 59, 59)),
                 QString(" where RecMoment >= '2026-12-10 07:00:00' and RecMoment <= '2026-12-10 18:59:59'"));
        QCOMPARE(StepWrap(359, 359, 1, 0), 0.0);
        QCOMPARE(StepWrap(10, 359, 1, 0), 11.0);
        QCOMPARE(StepWrap(0, 359, -3, 0), 359.0);
    }

    void aboutBoxFadesIn() {
        TFormAbout about;
        QCOMPARE(about.windowTitle(), QString("О программе  \"ОРДАЛ\""));
        for (int round = 0; round < 2; ++round) { // every opening fades in again from transparent
            about.show();
            QCOMPARE(about.AlphaBlendValue(), 0);
            QList<int> seen;
            while (about.TimerShow->isActive() && seen.size() < 20) {
                about.TimerShowTimer();
                seen << about.AlphaBlendValue();
            }
            QCOMPARE(seen.size(), 13);
            QCOMPARE(seen.first(), 20);
            QCOMPARE(seen[11], 240);
            QCOMPARE(seen.last(), 255);
            about.hide();
        }
    }

    void stateColors() {
        QFile f("colors.ini");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[OnColors]\nCondition=0x0000FF00\nNonCondition=65280\nWater=blue\nHydroCyclone=0x000000FF\n");
        f.close();
        IniFile ini("colors.ini");
        TStateColors on = kDefaultStateColors;
        QVERIFY(!LoadStateColors(ini, "OnColors", on));
        QCOMPARE(on[0], clLime);
        QCOMPARE(on[1], clLime);
        QCOMPARE(on[2], clAqua);   // not a number: stays, and loading stops here
        QCOMPARE(on[3], clYellow); // so the key after it keeps its default
        TStateColors off = kDefaultStateColors;
        QVERIFY(LoadStateColors(ini, "OffColors", off));
        QCOMPARE(off, kDefaultStateColors);
        SaveStateColors(ini, "OffColors", off);
        QCOMPARE(ini.ReadString("OffColors", "Condition", ""), QString("0x000000FF"));
        QCOMPARE(ini.ReadString("OffColors", "ShlamWater", ""), QString("0x00FF0000"));
        QCOMPARE(ini.ReadSection("OffColors").size(), 9);
    }

    // The library's further classes: the colour goes where the class's row
    // says, only to the components carrying the tag; a class without a row
    // keeps its colours.
    void colourByTagForTheLibrary_data() {
        QTest::addColumn<QString>("cls");
        QTest::addColumn<bool>("coloured");
        for (const char* c : {"TConusBox", "TValve", "TBladeWheel", "TMixer", "TSeparator", "TSkat"})
            QTest::newRow(c) << QString::fromLatin1(c) << true;
        QTest::newRow("TFan") << "TFan" << false;
    }
    void colourByTagForTheLibrary() {
        QFETCH(QString, cls);
        QFETCH(bool, coloured);
        // What the colour reaches, per class (the fan: the colours it has).
        const auto colours = [](QObject* o) -> QList<TColor> {
            if (auto* c = qobject_cast<TConusBox*>(o))
                return {c->GetWaterColor()};
            if (auto* v = qobject_cast<TValve*>(o))
                return {v->Pen()->GetColor(), v->Brush()->GetColor()};
            if (auto* b = qobject_cast<TBladeWheel*>(o))
                return {b->BladePen()->GetColor(), b->Pen()->GetColor()};
            if (auto* m = qobject_cast<TMixer*>(o))
                return {m->GetWaterColor()};
            if (auto* s = qobject_cast<TSeparator*>(o))
                return {s->GetWaterColor()};
            if (auto* k = qobject_cast<TSkat*>(o))
                return {k->Brush()->GetColor()};
            if (auto* f = qobject_cast<TFan*>(o))
                return {f->CircleBrush()->GetColor(), f->CirclePen()->GetColor(), f->GetRotorColor()};
            return {};
        };
        QWidget window;
        QObject* tagged = TClassRegistry::Create(cls, &window);
        QObject* other = TClassRegistry::Create(cls, &window);
        QVERIFY(tagged && other);
        AddComponent(&window, tagged);
        AddComponent(&window, other);
        tagged->setProperty("Tag", 700);
        other->setProperty("Tag", 701);
        const QList<TColor> before = colours(other);
        SetColorByTag(&window, 700, clFuchsia);
        const QList<TColor> after = colours(tagged);
        QVERIFY(!after.isEmpty());
        for (TColor c : after)
            QCOMPARE(c == clFuchsia, coloured);
        QCOMPARE(colours(other), before);
    }
};

ORDAL_TEST_MAIN(TstServices)
#include "tst_services.moc"
