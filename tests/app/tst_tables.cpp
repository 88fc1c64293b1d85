// The data work of the journal, the database browser and the settings dialog,
// without a window or a server: ranges, the auto-refresh rule, the top panel's
// placement, the shift start buttons, the colour slots, the grid's cell texts
// and the local copy of the constants with its pending changes.

#include "Baseview.h"
#include "Config.h"
#include "Global.h"
#include "Logview.h"
#include "NumText.h"
#include "TestSupport.h"

namespace {

TDateTime At(const char* text) {
    TDateTime t = 0;
    if (!ParseSqlDateTime(text, qstrlen(text), t))
        qFatal("bad moment %s", text);
    return t;
}

// A result as "select * from setup" gives it.
TResultTable Setup(const QList<std::tuple<QString, QVariant, QVariant>>& rows) {
    TResultTable t;
    t.AddColumn("ConstName", TResultTable::Type::Text);
    t.AddColumn("ConstVal", TResultTable::Type::Number);
    t.AddColumn("Comment", TResultTable::Type::Text);
    for (const auto& [name, value, comment] : rows) {
        const QByteArray n = name.toUtf8(), v = value.toString().toUtf8(), c = comment.toString().toUtf8();
        t.AppendRow({{n.constData(), size_t(n.size())},
                     {value.isNull() ? nullptr : v.constData(), size_t(v.size())},
                     {comment.isNull() ? nullptr : c.constData(), size_t(c.size())}});
    }
    return t;
}

const QVariant kNull;

} // namespace

class TstTables : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        FirstChangeStart = 7;
        DateIncrement = 0;
        SetDecimalSeparator(QLatin1Char(','));
    }

    void journalAutoRefreshRule_data() {
        QTest::addColumn<int>("shift");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("newest");
        QTest::addColumn<bool>("due");
        // Shift 2 of 10 March: 19:00:00 to 06:59:59 of 11 March, both ends included.
        QTest::newRow("first tick, inside") << 1 << ""
                                            << "2026-03-10 23:00:00" << true;
        QTest::newRow("first second of the range") << 1 << ""
                                                   << "2026-03-10 19:00:00" << true;
        QTest::newRow("last second of the range") << 1 << ""
                                                  << "2026-03-11 06:59:59" << true;
        QTest::newRow("a second before") << 1 << ""
                                         << "2026-03-10 18:59:59" << false;
        QTest::newRow("a second after: a past day") << 1 << ""
                                                    << "2026-03-11 07:00:00" << false;
        QTest::newRow("already reacted to") << 1 << "2026-03-10 23:00:00"
                                            << "2026-03-10 23:00:00" << false;
        QTest::newRow("newer than reacted to") << 1 << "2026-03-10 23:00:00"
                                               << "2026-03-10 23:00:01" << true;
        QTest::newRow("empty journal") << 2 << ""
                                       << "" << false;
        QTest::newRow("both shifts, the morning after") << 2 << ""
                                                        << "2026-03-11 06:59:59" << true;
        QTest::newRow("shift 1 ends at 18:59:59") << 0 << ""
                                                  << "2026-03-10 18:59:59" << true;
    }
    void journalAutoRefreshRule() {
        QFETCH(int, shift);
        QFETCH(QString, last);
        QFETCH(QString, newest);
        QFETCH(bool, due);
        const TJournalRange r = JournalRangeOf(EncodeDate(2026, 3, 10) + 0.6, shift);
        const TDateTime lastTime = last.isEmpty() ? 0 : At(qPrintable(last));
        const TDateTime t = newest.isEmpty() ? 0 : At(qPrintable(newest));
        QCOMPARE(AutoRefreshDue(r.start, r.stop, lastTime, t), due);
    }

    void journalRangeFollowsTheShiftSettings() {
        FirstChangeStart = 8;
        DateIncrement = 1;
        const TJournalRange r = JournalRangeOf(EncodeDate(2026, 3, 10), 0);
        QCOMPARE(SqlDateTimeText(r.start), QString("2026-03-11 08:00:00"));
        QCOMPARE(SqlDateTimeText(r.stop), QString("2026-03-11 19:59:59"));
        // Nothing chosen in the list reads as both shifts.
        const TJournalRange none = JournalRangeOf(EncodeDate(2026, 3, 10), -1);
        QCOMPARE(SqlDateTimeText(none.stop), QString("2026-03-12 07:59:59"));
    }

    void topPanelCentresItsGroup_data() {
        QTest::addColumn<int>("panel");
        QTest::addColumn<QList<int>>("lefts");
        QTest::newRow("wide") << 1000 << QList<int>{180, 485, 640};
        QTest::newRow("odd remainder") << 1001 << QList<int>{180, 485, 640};
        QTest::newRow("narrower than the group") << 600 << QList<int>{-20, 285, 440};
    }
    void topPanelCentresItsGroup() {
        QFETCH(int, panel);
        QFETCH(QList<int>, lefts);
        const TTopPanelPlacement p = PlaceTopPanel(panel, 300, 150, 160);
        QCOMPARE((QList<int>{p.label, p.picker, p.list}), lefts);
    }

    void browserRangeTakesDayAndTimeApart() {
        const TDateTime day = EncodeDate(2026, 3, 10);
        // The time pickers keep a date of their own; only their time of day counts.
        const TBrowserRange r = BrowserRangeOf(day + 0.75, EncodeDate(1999, 1, 1), day + 2.1,
                                               EncodeDate(1999, 1, 1) + EncodeTime(23, 59, 59));
        QCOMPARE(SqlDateTimeText(r.start), QString("2026-03-10 00:00:00"));
        QCOMPARE(SqlDateTimeText(r.stop), QString("2026-03-12 23:59:59"));
    }

    void shiftStartButtons_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("hour up") << "hour+" << 7 << 8;
        QTest::newRow("23:00 up") << "hour+" << 23 << 0;
        QTest::newRow("0:00 down") << "hour-" << 0 << 23;
        QTest::newRow("day up") << "day+" << 2 << 3;
        QTest::newRow("day up at 3") << "day+" << 3 << 3;
        QTest::newRow("day down at 0") << "day-" << 0 << 0;
        QTest::newRow("day down") << "day-" << 1 << 0;
        QTest::newRow("day down from a file's 5") << "day-" << 5 << 4;
    }
    void shiftStartButtons() {
        QFETCH(QString, button);
        QFETCH(int, from);
        QFETCH(int, to);
        const int got = button == "hour+"   ? NextShiftHour(from)
                        : button == "hour-" ? PrevShiftHour(from)
                        : button == "day+"  ? IncDayOffset(from)
                                            : DecDayOffset(from);
        QCOMPARE(got, to);
        QCOMPARE(ShiftHourText(0), QString("0:00"));
        QCOMPARE(ShiftHourText(12), QString("12:00"));
    }

    void colourSlotOfTag_data() {
        QTest::addColumn<int>("tag");
        QTest::addColumn<int>("index"); // -1: no slot
        QTest::addColumn<bool>("off");
        QTest::newRow("10 active Condition") << 10 << 0 << false;
        QTest::newRow("11 off Condition") << 11 << 0 << true;
        QTest::newRow("90 active WaterCyrcle") << 90 << 8 << false;
        QTest::newRow("91 off WaterCyrcle") << 91 << 8 << true;
        QTest::newRow("9 is no field") << 9 << -1 << false;
        QTest::newRow("100 is past the sets") << 100 << -1 << false;
    }
    void colourSlotOfTag() {
        QFETCH(int, tag);
        QFETCH(int, index);
        QFETCH(bool, off);
        const auto slot = ColorSlotOfTag(tag);
        QCOMPARE(slot.has_value(), index >= 0);
        if (slot) {
            QCOMPARE(slot->index, index);
            QCOMPARE(slot->off, off);
        }
    }

    void gridCellTexts() {
        TResultTable t;
        t.AddColumn("RecMoment", TResultTable::Type::DateTime);
        t.AddColumn("PLS", TResultTable::Type::Number);
        t.AddColumn("MessageText", TResultTable::Type::Text);
        t.AppendRow({{"2026-03-10 07:05:09", 19}, {"1650.25", 7}, {"Пуск", 8}});
        t.AppendRow({{"2026-03-10 07:05:10", 19}, {nullptr, 0}, {nullptr, 0}});
        const TResultTableData data(&t);
        QCOMPARE(data.FieldIndex("messagetext"), 2);
        QCOMPARE(data.DisplayText(0, 0), QString("10.03.2026 07:05:09"));
        QCOMPARE(data.DisplayText(0, 1), QString("1650,25")); // the workstation's separator
        QCOMPARE(data.DisplayText(0, 2), QString("Пуск"));
        QCOMPARE(data.DisplayText(1, 1), QString()); // NULL is an empty cell, not 0
        QCOMPARE(data.DisplayText(1, 2), QString());
    }

    void constantsPendingChanges() {
        TConstantsCopy copy;
        copy.Load(Setup({{"A", 1.5, "first"}, {"B", kNull, kNull}, {"MIN_PLS", 1100.0, "min"}}));
        QString error;
        QVERIFY(copy.PendingChanges().isEmpty());

        // Changed and changed back: nothing to send.
        QVERIFY(copy.SetText(0, TConstantsCopy::ConstVal, "2", error));
        QVERIFY(copy.SetText(0, TConstantsCopy::ConstVal, "1,5", error));
        QCOMPARE(copy.Mark(0), TGridData::RowMark::None);
        QVERIFY(copy.PendingChanges().isEmpty());

        // An update carries the new values, then the values as read (NULLs too).
        QVERIFY(copy.SetText(1, TConstantsCopy::Comment, "новый 'текст'", error));
        QVERIFY(copy.Delete(2) == false); // the database holds it: stays, marked
        QCOMPARE(copy.RowCount(), 3);
        QCOMPARE(copy.Mark(2), TGridData::RowMark::Deleted);
        const int added = copy.Insert(0);
        QCOMPARE(copy.Mark(added), TGridData::RowMark::Inserting);
        auto changes = copy.PendingChanges();
        QCOMPARE(changes.size(), 2); // the new row has no name yet: not posted
        QCOMPARE(changes[0].kind, TConstantsCopy::Change::Update);
        QCOMPARE(changes[0].row, 2);
        QCOMPARE(changes[0].values.size(), 6);
        QCOMPARE(changes[0].values[2].toString(), QString("новый 'текст'"));
        QCOMPARE(changes[0].values[3].toString(), QString("B"));
        QVERIFY(changes[0].values[4].isNull() &&
                changes[0].values[4].metaType() == QMetaType::fromType<double>());
        QVERIFY(changes[0].values[5].isNull());
        QCOMPARE(changes[1].kind, TConstantsCopy::Change::Delete);
        QCOMPARE(changes[1].values, (QVariantList{"MIN_PLS", 1100.0, "min"}));

        QVERIFY(copy.SetText(added, TConstantsCopy::ConstName, "  NEW  ", error));
        changes = copy.PendingChanges();
        QCOMPARE(changes.size(), 3);
        QCOMPARE(changes[0].kind, TConstantsCopy::Change::Insert);
        QCOMPARE(changes[0].values[0].toString(), QString("NEW"));
        QVERIFY(changes[0].values[1].isNull());
        QCOMPARE(copy.Mark(added), TGridData::RowMark::NotSaved);

        // A refusal stays, marked with its reason; what was taken counts as saved.
        copy.Refused(changes[1], "Table 'setup' is read only");
        QCOMPARE(copy.Mark(2), TGridData::RowMark::NotSaved);
        QVERIFY(copy.MarkHint(2).contains("Table 'setup' is read only"));
        QVERIFY(!copy.Applied(changes[0]));
        QVERIFY(copy.Applied(changes[2])); // the deleted row leaves
        QCOMPARE(copy.RowCount(), 3);
        QCOMPARE(copy.Mark(0), TGridData::RowMark::None);
        QCOMPARE(copy.At(0).read[TConstantsCopy::ConstName].toString(), QString("NEW"));
        changes = copy.PendingChanges();
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes[0].kind, TConstantsCopy::Change::Update);
        QCOMPARE(copy.DisplayText(changes[0].row, TConstantsCopy::Comment), QString("новый 'текст'"));

        // A new row whose insert may have reached the server goes again only
        // when the operator saves, even after further edits of it.
        const int uncertain = copy.Insert(0);
        QVERIFY(copy.SetText(uncertain, TConstantsCopy::ConstName, "MAYBE", error));
        copy.Refused(copy.PendingChanges()[0], "lost", true);
        QVERIFY(copy.SetText(uncertain, TConstantsCopy::ConstVal, "5", error));
        QCOMPARE(copy.Mark(uncertain), TGridData::RowMark::NotSaved);
        QVERIFY(copy.MarkHint(uncertain).contains("lost"));
        QCOMPARE(copy.PendingChanges(false).size(), 1); // the update of B only
        QCOMPARE(copy.PendingChanges(true).size(), 2);
        QVERIFY(!copy.Applied(copy.PendingChanges(true)[0]));
        QVERIFY(!copy.At(uncertain).uncertain);
    }

    void constantsNewRows() {
        TConstantsCopy copy;
        copy.Load(Setup({{"A", 1.0, kNull}}));
        QString error;
        // A new row the database never held goes at once when deleted, and
        // when it is left without a single value.
        int row = copy.Insert(5);
        QCOMPARE(row, 1);
        QVERIFY(copy.Delete(row));
        row = copy.Insert(0);
        QVERIFY(copy.SetText(row, TConstantsCopy::Comment, "x", error));
        QVERIFY(!copy.CancelIfEmpty(row)); // it has a value: kept
        QVERIFY(copy.SetText(row, TConstantsCopy::Comment, "", error));
        QVERIFY(copy.CancelIfEmpty(row));
        QVERIFY(!copy.CancelIfEmpty(0)); // a row that was read is never dropped
        QCOMPARE(copy.RowCount(), 1);
    }

    void constantsTakeTexts_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("name") << 0 << " K2 " << true << QVariant("K2");
        QTest::newRow("empty name of a saved row") << 0 << "" << false << QVariant();
        QTest::newRow("name of 31 characters") << 0 << QString(31, 'N') << false << QVariant();
        QTest::newRow("value with the comma") << 1 << "1650,5" << true << QVariant(1650.5);
        QTest::newRow("value with a point") << 1 << "1650.5" << true << QVariant(1650.5);
        QTest::newRow("no value") << 1 << " " << true << QVariant();
        QTest::newRow("not a number") << 1 << "12a" << false << QVariant();
        QTest::newRow("comment with quotes and backslashes")
            << 2 << "a'b\\c;d\"" << true << QVariant("a'b\\c;d\"");
        QTest::newRow("no comment") << 2 << "" << true << QVariant();
        QTest::newRow("comment of 252 characters") << 2 << QString(252, 'c') << false << QVariant();
    }
    void constantsTakeTexts() {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(bool, taken);
        QFETCH(QVariant, value);
        TConstantsCopy copy;
        copy.Load(Setup({{"K", 7.0, "c"}}));
        QString error;
        QCOMPARE(copy.SetText(0, field, text, error), taken);
        if (!taken) {
            QVERIFY(!error.isEmpty());
            QVERIFY(copy.PendingChanges().isEmpty()); // nothing changed
            return;
        }
        const QVariant now = copy.At(0).values[field];
        QCOMPARE(now.isNull(), value.isNull());
        if (!value.isNull())
            QCOMPARE(now, value);
    }
};

ORDAL_TEST_MAIN(TstTables)
#include "tst_tables.moc"
