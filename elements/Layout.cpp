#include "Layout.h"

#include "ElementBase.h"

#include "NumText.h"
#include "TColor.h"

#include <QFile>
#include <QMap>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QSet>
#include <QStringDecoder>
#include <QStringList>

ELayoutError::ELayoutError(QString file, int line, QString element, QString message)
    : std::runtime_error(QStringLiteral("%1:%2: %3: %4")
                             .arg(file)
                             .arg(line)
                             .arg(element.isEmpty() ? QStringLiteral("(layout)") : element, message)
                             .toStdString()),
      file_(std::move(file)), line_(line), element_(std::move(element)), message_(std::move(message)) {}

// ---- class registry ----

namespace {

struct ClassEntry {
    const QMetaObject* meta;
    TClassRegistry::Factory factory;
};

// Case-insensitive like the layouts' names; keyed by the lower-case name.
QMap<QString, ClassEntry>& Classes() {
    static QMap<QString, ClassEntry> classes;
    return classes;
}

} // namespace

bool TClassRegistry::Register(const QString& name, const QMetaObject* meta, Factory factory) {
    Classes().insert(name.toLower(), ClassEntry{meta, factory});
    return true;
}

bool TClassRegistry::Contains(const QString& name) {
    return Classes().contains(name.toLower());
}

const QMetaObject* TClassRegistry::MetaObject(const QString& name) {
    const auto it = Classes().constFind(name.toLower());
    return it == Classes().cend() ? nullptr : it->meta;
}

QStringList TClassRegistry::Names() {
    QStringList names;
    for (const ClassEntry& e : Classes())
        names.append(QString::fromLatin1(e.meta->className()));
    return names;
}

QObject* TClassRegistry::Create(const QString& name, QObject* parent) {
    const auto it = Classes().constFind(name.toLower());
    return it == Classes().cend() ? nullptr : it->factory(parent);
}

// ---- component lists ----

namespace {

class TComponentIndex;

// The index of each owner, found without walking the owner's children: the
// scheme asks for its component list several times a tick.
QHash<const QObject*, TComponentIndex*>& Indexes() {
    static QHash<const QObject*, TComponentIndex*> indexes;
    return indexes;
}

class TComponentIndex : public QObject {
public:
    explicit TComponentIndex(QObject* owner) : QObject(owner), owner_(owner) {
        setObjectName(QStringLiteral("@components"));
        Indexes().insert(owner, this);
    }
    ~TComponentIndex() override { Indexes().remove(owner_); }
    QList<QPointer<QObject>> list;

private:
    const QObject* owner_;
};

TComponentIndex* IndexOf(const QObject* owner, bool create) {
    if (TComponentIndex* idx = Indexes().value(owner))
        return idx;
    return create ? new TComponentIndex(const_cast<QObject*>(owner)) : nullptr;
}

} // namespace

QList<QObject*> Components(const QObject* owner) {
    QList<QObject*> out;
    if (const TComponentIndex* idx = owner ? IndexOf(owner, false) : nullptr)
        for (const QPointer<QObject>& p : idx->list)
            if (p)
                out.append(p.data());
    return out;
}

QObject* FindComponent(const QObject* owner, const QString& name) {
    for (QObject* c : Components(owner))
        if (c->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}

void AddComponent(QObject* owner, QObject* component) {
    if (owner && component)
        IndexOf(owner, true)->list.append(component);
}

// ---- values ----

namespace {

// A failure inside one line; the reader adds file, line and element.
struct LineError {
    QString message;
};

[[noreturn]] void Fail(const QString& message) {
    throw LineError{message};
}

struct Value {
    enum Kind { String, Int, Float, Ident, Set, List } kind = String;
    QString text; // String, Ident, and the source text of numbers
    qint32 integer = 0;
    double number = 0;
    QStringList items; // Set names, List texts
};

bool IsIdentStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}
bool IsIdentChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

class ValueParser {
public:
    explicit ValueParser(QStringView s) : s_(s) {}

    Value Parse() {
        Value v = One(true);
        Skip();
        if (pos_ < s_.size())
            Fail(QStringLiteral("unexpected text after the value: \"%1\"").arg(s_.mid(pos_).toString()));
        return v;
    }

private:
    void Skip() {
        while (pos_ < s_.size() && s_[pos_].isSpace())
            ++pos_;
    }
    bool At(char c) const { return pos_ < s_.size() && s_[pos_] == QLatin1Char(c); }

    Value One(bool top) {
        Skip();
        if (pos_ >= s_.size())
            Fail(QStringLiteral("missing value"));
        const QChar c = s_[pos_];
        if (c == QLatin1Char('\'') || c == QLatin1Char('#'))
            return Text();
        if (c == QLatin1Char('(') && top)
            return List();
        if (c == QLatin1Char('[') && top)
            return Set();
        if (IsIdentStart(c)) {
            Value v;
            v.kind = Value::Ident;
            v.text = Ident();
            return v;
        }
        return Number();
    }

    QString Ident() {
        const int start = pos_;
        while (pos_ < s_.size() && IsIdentChar(s_[pos_]))
            ++pos_;
        return s_.mid(start, pos_ - start).toString();
    }

    // 'text', #code, joined directly or by "+".
    Value Text() {
        Value v;
        v.kind = Value::String;
        for (;;) {
            if (At('\'')) {
                ++pos_;
                for (;;) {
                    if (pos_ >= s_.size())
                        Fail(QStringLiteral("unterminated text"));
                    if (s_[pos_] == QLatin1Char('\'')) {
                        if (pos_ + 1 < s_.size() && s_[pos_ + 1] == QLatin1Char('\'')) {
                            v.text += QLatin1Char('\'');
                            pos_ += 2;
                            continue;
                        }
                        ++pos_;
                        break;
                    }
                    v.text += s_[pos_++];
                }
            } else if (At('#')) {
                ++pos_;
                const int start = pos_;
                if (At('$'))
                    ++pos_;
                while (pos_ < s_.size() && s_[pos_].isLetterOrNumber())
                    ++pos_;
                const auto code = StrToIntOpt(s_.mid(start, pos_ - start).toString());
                if (!code || *code < 0 || *code > 0x10FFFF)
                    Fail(QStringLiteral("bad character code"));
                const char32_t ch = char32_t(*code);
                v.text += QString::fromUcs4(&ch, 1);
            } else {
                break;
            }
            // Parts written together ('a'#13'b') or joined by "+" make one text;
            // texts apart from each other are items of a list.
            if (At('\'') || At('#'))
                continue;
            const int save = pos_;
            Skip();
            if (!At('+')) {
                pos_ = save;
                break;
            }
            ++pos_;
            Skip();
            if (!At('\'') && !At('#'))
                Fail(QStringLiteral("text expected after +"));
        }
        return v;
    }

    Value Number() {
        const int start = pos_;
        if (At('-') || At('+'))
            ++pos_;
        while (pos_ < s_.size() &&
               (s_[pos_].isLetterOrNumber() || s_[pos_] == QLatin1Char('$') || s_[pos_] == QLatin1Char('.') ||
                ((s_[pos_] == QLatin1Char('-') || s_[pos_] == QLatin1Char('+')) &&
                 (s_[pos_ - 1] == QLatin1Char('e') || s_[pos_ - 1] == QLatin1Char('E')))))
            ++pos_;
        Value v;
        v.text = s_.mid(start, pos_ - start).toString();
        if (v.text.isEmpty())
            Fail(QStringLiteral("unexpected \"%1\"").arg(s_.mid(start, 1).toString()));
        if (const auto i = StrToIntOpt(v.text); i && !v.text.contains(QLatin1Char('.'))) {
            v.kind = Value::Int;
            v.integer = *i;
            v.number = *i;
            return v;
        }
        if (const auto d = StrToFloatOpt(v.text, QLatin1Char('.'))) {
            v.kind = Value::Float;
            v.number = *d;
            return v;
        }
        Fail(QStringLiteral("not a number: \"%1\"").arg(v.text));
    }

    Value List() {
        Value v;
        v.kind = Value::List;
        ++pos_;
        for (;;) {
            Skip();
            if (pos_ >= s_.size())
                Fail(QStringLiteral("missing ) at the end of the list"));
            if (At(')')) {
                ++pos_;
                return v;
            }
            if (At(','))
                ++pos_;
            else
                v.items.append(One(false).text);
        }
    }

    Value Set() {
        Value v;
        v.kind = Value::Set;
        ++pos_;
        for (;;) {
            Skip();
            if (pos_ >= s_.size())
                Fail(QStringLiteral("missing ] at the end of the set"));
            if (At(']')) {
                ++pos_;
                return v;
            }
            if (At(',')) {
                ++pos_;
                continue;
            }
            if (!IsIdentStart(s_[pos_]))
                Fail(QStringLiteral("a set holds names only"));
            v.items.append(Ident());
        }
    }

    QStringView s_;
    int pos_ = 0;
};

// Whether a value goes on on the next line: an open "(" list or a trailing "+".
bool NeedsMore(QStringView s) {
    int depth = 0;
    bool quoted = false;
    QChar last;
    for (QChar c : s) {
        if (quoted) {
            if (c == QLatin1Char('\''))
                quoted = false;
            continue;
        }
        if (c == QLatin1Char('\''))
            quoted = true;
        else if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')'))
            --depth;
        if (!c.isSpace())
            last = c;
    }
    return !quoted && (depth > 0 || last == QLatin1Char('+'));
}

QString KindName(const Value& v) {
    switch (v.kind) {
    case Value::String:
        return QStringLiteral("a text");
    case Value::Int:
        return QStringLiteral("an integer");
    case Value::Float:
        return QStringLiteral("a number");
    case Value::Ident:
        return QStringLiteral("the name %1").arg(v.text);
    case Value::Set:
        return QStringLiteral("a set");
    case Value::List:
        return QStringLiteral("a list");
    }
    return QString();
}

QString ClassOf(const QObject* o) {
    return QString::fromLatin1(o->metaObject()->className());
}

QMetaProperty FindProperty(const QObject* obj, const QString& name) {
    const QMetaObject* mo = obj->metaObject();
    int i = mo->indexOfProperty(name.toLatin1().constData());
    // Names match without regard to case, as in the layouts' origin; only the
    // published (capitalised) properties, never the toolkit's own read-only
    // "width" or "x".
    if (i < 0)
        for (int k = 0; k < mo->propertyCount(); ++k) {
            const QString n = QString::fromLatin1(mo->property(k).name());
            if (!n.isEmpty() && n[0].isUpper() && n.compare(name, Qt::CaseInsensitive) == 0) {
                i = k;
                break;
            }
        }
    return i < 0 ? QMetaProperty() : mo->property(i);
}

QMetaEnum EnumOf(const QMetaProperty& p) {
    QMetaEnum e = p.enumerator();
    if (e.isValid())
        return e;
    // An enumeration declared in a namespace or another class.
    if (const QMetaObject* mo = p.metaType().metaObject()) {
        QByteArray type = p.metaType().name();
        type = type.mid(type.lastIndexOf(':') + 1);
        const int i = mo->indexOfEnumerator(type.constData());
        if (i >= 0)
            return mo->enumerator(i);
    }
    return QMetaEnum();
}

QVariant EnumVariant(const QMetaProperty& p, int value) {
    QVariant v(value);
    if (!v.convert(p.metaType()))
        Fail(QStringLiteral("cannot store an enumeration value in %1").arg(QString::fromLatin1(p.name())));
    return v;
}

// The conversion of a layout value for one property.
QVariant Convert(const QMetaProperty& p, const Value& v) {
    const QString name = QString::fromLatin1(p.name());
    auto wrong = [&] { Fail(QStringLiteral("%1 does not fit property %2").arg(KindName(v), name)); };
    if (p.isEnumType() || p.isFlagType()) {
        if (v.kind == Value::Int)
            return EnumVariant(p, v.integer);
        const QMetaEnum e = EnumOf(p);
        if (!e.isValid())
            Fail(QStringLiteral("the values of %1 have no names").arg(name));
        if (v.kind == Value::Ident && !p.isFlagType()) {
            bool ok = false;
            const int value = e.keyToValue(v.text.toLatin1().constData(), &ok);
            if (!ok)
                Fail(QStringLiteral("%1 is not a value of %2 (%3)")
                         .arg(v.text, name, QString::fromLatin1(e.name())));
            return EnumVariant(p, value);
        }
        if (v.kind == Value::Set && p.isFlagType()) {
            int value = 0;
            for (const QString& k : v.items) {
                bool ok = false;
                value |= e.keyToValue(k.toLatin1().constData(), &ok);
                if (!ok)
                    Fail(QStringLiteral("%1 is not a value of %2").arg(k, name));
            }
            return EnumVariant(p, value);
        }
        wrong();
    }
    switch (p.metaType().id()) {
    case QMetaType::Bool:
        if (v.kind == Value::Ident && v.text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (v.kind == Value::Ident && v.text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
        wrong();
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        if (v.kind == Value::Int)
            return QVariant(v.integer);
        if (v.kind == Value::Ident) {
            // Integer properties take colour names: colours are plain TColor numbers.
            if (const auto c = ColorFromName(v.text))
                return QVariant(*c);
            Fail(QStringLiteral("unknown name %1 for property %2").arg(v.text, name));
        }
        wrong();
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        if (v.kind == Value::Int || v.kind == Value::Float)
            return QVariant(v.number);
        wrong();
        break;
    case QMetaType::QString:
        if (v.kind == Value::String)
            return v.text;
        wrong();
        break;
    case QMetaType::QStringList:
        if (v.kind == Value::List)
            return v.items;
        if (v.kind == Value::String)
            return QStringList{v.text};
        wrong();
        break;
    default:
        break;
    }
    Fail(QStringLiteral("property %1 of type %2 cannot be set from a layout")
             .arg(name, QString::fromLatin1(p.metaType().name())));
}

bool IsObjectProperty(const QMetaProperty& p) {
    return p.metaType().flags() & QMetaType::PointerToQObject;
}

// Properties every window and plain widget has in the layouts, for widgets whose
// class does not publish them itself.
bool SetWidgetFallback(QWidget* w, const QString& name, const Value& v) {
    auto is = [&](const char* n) { return name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0; };
    auto needInt = [&] {
        if (v.kind != Value::Int)
            Fail(QStringLiteral("%1 does not fit property %2").arg(KindName(v), name));
        return int(v.integer);
    };
    auto needBool = [&] {
        if (v.kind == Value::Ident && v.text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (v.kind == Value::Ident && v.text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
        Fail(QStringLiteral("%1 does not fit property %2").arg(KindName(v), name));
    };
    auto needText = [&] {
        if (v.kind != Value::String)
            Fail(QStringLiteral("%1 does not fit property %2").arg(KindName(v), name));
        return v.text;
    };
    if (is("Left"))
        w->move(CheckedPosition(needInt(), "Left"), w->y());
    else if (is("Top"))
        w->move(w->x(), CheckedPosition(needInt(), "Top"));
    else if (is("Width") || is("ClientWidth"))
        w->resize(CheckedExtent(needInt(), "Width"), w->height());
    else if (is("Height") || is("ClientHeight"))
        w->resize(w->width(), CheckedExtent(needInt(), "Height"));
    else if (is("Caption") && (w->isWindow() || w->metaObject()->indexOfProperty("text") < 0))
        w->setWindowTitle(needText());
    else if (is("Caption"))
        w->setProperty("text", needText()); // a button's or a plain label's text
    else if (is("Visible"))
        w->setVisible(needBool());
    else if (is("Enabled"))
        w->setEnabled(needBool());
    else if (is("Hint"))
        w->setToolTip(needText());
    else
        return false;
    return true;
}

struct Fixup {
    QPointer<QObject> target;
    QMetaProperty property;
    QString reference;
    int line;
    QString element;
};

// "OnClick = ButReloadClick": bound to the window's slot when all exist.
struct EventFixup {
    QPointer<QObject> target;
    QString event;
    QString handler;
    int line;
    QString element;
};

QHash<QByteArray, QHash<QString, TEventRegistry::Binder>>& EventBinders() {
    static QHash<QByteArray, QHash<QString, TEventRegistry::Binder>> binders;
    return binders;
}

} // namespace

// ---- the reader ----

class TLayoutReader {
public:
    TLayoutReader(QWidget* root, QString file) : root_(root), file_(std::move(file)) {}

    TLayout Read(const QString& text) {
        TLayout layout;
        layout.file_ = file_;
        layout_ = &layout;
        try {
            // Docking waits for the whole layout, so that the positions in the
            // file decide the order of controls docked to the same edge.
            const TAlignSuspender suspend;
            Parse(text, layout);
            Resolve(layout);
            BindEvents();
        } catch (...) {
            // Nothing half-built stays behind: delete what this layout created.
            for (auto it = created_.rbegin(); it != created_.rend(); ++it)
                delete it->data();
            throw;
        }
        for (QObject* c : layout.components)
            AddComponent(root_, c);
        RealignChildren(root_);
        for (QObject* c : layout.components)
            if (auto* w = qobject_cast<QWidget*>(c))
                RealignChildren(w);
        return layout;
    }

private:
    struct Frame {
        QObject* object;
        QString name;
    };

    [[noreturn]] void Error(int line, const QString& element, const QString& message) const {
        throw ELayoutError(file_, line, element, message);
    }

    void Parse(const QString& text, TLayout& layout) {
        const QStringList lines = text.split(QLatin1Char('\n'));
        QList<Frame> stack;
        bool rootDone = false;
        int lastLine = 0;
        for (int i = 0; i < lines.size(); ++i) {
            const int lineNo = i + 1;
            QString line = lines[i].trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1String("//")))
                continue;
            lastLine = lineNo;
            const QString element = stack.isEmpty() ? QString() : stack.back().name;
            if (rootDone)
                Error(lineNo, element, QStringLiteral("text after the end of the layout"));
            if (line.startsWith(QLatin1String("object "), Qt::CaseInsensitive)) {
                stack.append(Object(line.mid(7).trimmed(), lineNo, stack, layout));
                continue;
            }
            if (line.compare(QLatin1String("end"), Qt::CaseInsensitive) == 0) {
                if (stack.isEmpty())
                    Error(lineNo, element, QStringLiteral("\"end\" without \"object\""));
                const Frame done = stack.takeLast();
                if (auto* w = qobject_cast<QWidget*>(done.object);
                    w && w != root_ && !w->testAttribute(Qt::WA_WState_ExplicitShowHide))
                    w->show();
                rootDone = stack.isEmpty();
                continue;
            }
            if (stack.isEmpty())
                Error(lineNo, element, QStringLiteral("expected \"object Name: TClass\""));
            const int eq = line.indexOf(QLatin1Char('='));
            if (eq <= 0)
                Error(lineNo, element,
                      QStringLiteral("expected \"Property = value\", \"object\" or \"end\""));
            const QString path = line.left(eq).trimmed();
            QString value = line.mid(eq + 1).trimmed();
            while (NeedsMore(value)) {
                if (++i >= lines.size())
                    Error(lineNo, element,
                          QStringLiteral("the value does not end before the end of the file"));
                // Comment lines are comments inside a list too.
                const QString more = lines[i].trimmed();
                if (!more.isEmpty() && !more.startsWith(QLatin1String("//")))
                    value += QLatin1Char(' ') + more;
            }
            try {
                Apply(stack.back().object, path, ValueParser(value).Parse(), lineNo, element);
            } catch (const LineError& e) {
                Error(lineNo, element, e.message);
            } catch (const ELayoutError&) {
                throw;
            } catch (const std::exception& e) {
                Error(lineNo, element,
                      QStringLiteral("setting %1 failed: %2").arg(path, QString::fromUtf8(e.what())));
            }
        }
        if (!stack.isEmpty())
            Error(lastLine, stack.back().name,
                  QStringLiteral("missing \"end\" of %1").arg(stack.back().name));
        if (!rootDone)
            Error(lastLine, QString(), QStringLiteral("the layout holds no object"));
    }

    Frame Object(const QString& decl, int lineNo, const QList<Frame>& stack, TLayout& layout) {
        const int colon = decl.indexOf(QLatin1Char(':'));
        const QString name = colon < 0 ? QString() : decl.left(colon).trimmed();
        const QString cls = colon < 0 ? QString() : decl.mid(colon + 1).trimmed();
        if (!ValidName(name) || !ValidName(cls))
            Error(lineNo, name, QStringLiteral("expected \"object Name: TClass\""));
        if (stack.isEmpty()) {
            if (!root_)
                Error(lineNo, name, QStringLiteral("no window to load the layout into"));
            if (cls != ClassOf(root_))
                Error(lineNo, name,
                      QStringLiteral("the layout is for %1, not for %2").arg(cls, ClassOf(root_)));
            root_->setObjectName(name);
            names_.insert(name.toLower());
            return Frame{root_, name};
        }
        if (names_.contains(name.toLower()))
            Error(lineNo, name, QStringLiteral("a component named %1 exists already").arg(name));
        const QMetaObject* meta = TClassRegistry::MetaObject(cls);
        if (!meta)
            Error(lineNo, name, QStringLiteral("unknown class %1").arg(cls));
        QObject* parent = root_;
        if (meta->inherits(&QWidget::staticMetaObject)) {
            parent = qobject_cast<QWidget*>(stack.back().object);
            if (!parent)
                Error(lineNo, name,
                      QStringLiteral("a control cannot be placed in %1").arg(stack.back().name));
        }
        QObject* obj = nullptr;
        try {
            obj = TClassRegistry::Create(cls, parent);
        } catch (const std::exception& e) {
            Error(lineNo, name,
                  QStringLiteral("creating %1 failed: %2").arg(cls, QString::fromUtf8(e.what())));
        }
        if (!obj)
            Error(lineNo, name, QStringLiteral("creating %1 failed").arg(cls));
        created_.append(obj);
        obj->setObjectName(name);
        if (auto* container = dynamic_cast<TComponentContainer*>(stack.back().object))
            container->InsertComponent(obj);
        names_.insert(name.toLower());
        layout.components.append(obj);
        layout.byName_.insert(name.toLower(), obj);
        return Frame{obj, name};
    }

    static bool ValidName(const QString& s) {
        if (s.isEmpty() || !IsIdentStart(s[0]))
            return false;
        for (QChar c : s)
            if (!IsIdentChar(c))
                return false;
        return true;
    }

    // "Name = 'X'" renames a component: the new name must be free like any
    // declared one, and the layout then finds the component by it.
    void Rename(QObject* obj, const QMetaProperty& p, const Value& v) {
        if (v.kind != Value::String || !ValidName(v.text))
            Fail(QStringLiteral("a name must be a text made of letters, digits and _"));
        const QString before = obj->objectName().toLower(), after = v.text.toLower();
        if (after != before && names_.contains(after))
            Fail(QStringLiteral("a component named %1 exists already").arg(v.text));
        if (!p.write(obj, v.text))
            Fail(QStringLiteral("property Name did not take the value"));
        names_.remove(before);
        names_.insert(after);
        if (layout_->byName_.value(before) == obj) {
            layout_->byName_.remove(before);
            layout_->byName_.insert(after, obj);
        }
    }

    void Apply(QObject* obj, const QString& path, const Value& v, int lineNo, const QString& element) {
        const QStringList parts = path.split(QLatin1Char('.'));
        if (parts.size() == 1 && path.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0) {
            const QMetaProperty p = FindProperty(obj, path);
            if (p.isValid() && p.isWritable() && p.metaType().id() == QMetaType::QString) {
                Rename(obj, p, v);
                return;
            }
        }
        QObject* target = obj;
        for (int k = 0; k + 1 < parts.size(); ++k) {
            const QMetaProperty p = FindProperty(target, parts[k]);
            if (!p.isValid() || !IsObjectProperty(p))
                Fail(QStringLiteral("%1 has no object property %2").arg(ClassOf(target), parts[k]));
            target = p.read(target).value<QObject*>();
            if (!target)
                Fail(QStringLiteral("%1 is empty").arg(parts.mid(0, k + 1).join(QLatin1Char('.'))));
        }
        const QString name = parts.back();
        const QMetaProperty p = FindProperty(target, name);
        if (!p.isValid()) {
            if (name.startsWith(QLatin1String("On")) && v.kind == Value::Ident && target == obj) {
                events_.append(EventFixup{target, name, v.text, lineNo, element});
                return;
            }
            if (auto* w = qobject_cast<QWidget*>(target); w && SetWidgetFallback(w, name, v))
                return;
            Fail(QStringLiteral("unknown property %1 of %2").arg(path, ClassOf(target)));
        }
        // A list goes into the object's Strings; the object property itself may
        // well be read-only.
        if (!p.isWritable() && !(IsObjectProperty(p) && v.kind == Value::List))
            Fail(QStringLiteral("property %1 is read-only").arg(path));
        if (IsObjectProperty(p)) {
            if (v.kind == Value::Ident) {
                // A reference to another component, resolved when all exist.
                fixups_.append(Fixup{target, p, v.text, lineNo, element});
                return;
            }
            if (v.kind == Value::List) {
                QObject* list = p.read(target).value<QObject*>();
                const QMetaProperty strings =
                    list ? FindProperty(list, QStringLiteral("Strings")) : QMetaProperty();
                if (strings.isValid() && strings.write(list, v.items))
                    return;
            }
            Fail(QStringLiteral("%1 does not fit property %2").arg(KindName(v), path));
        }
        if (!p.write(target, Convert(p, v)))
            Fail(QStringLiteral("property %1 did not take the value").arg(path));
    }

    void Resolve(TLayout& layout) {
        for (const Fixup& f : fixups_) {
            QObject* ref = layout.Find(f.reference);
            if (!ref && root_ && f.reference.compare(root_->objectName(), Qt::CaseInsensitive) == 0)
                ref = root_;
            if (!ref)
                Error(f.line, f.element, QStringLiteral("no component named %1").arg(f.reference));
            const QMetaObject* want = f.property.metaType().metaObject();
            if (want && !ref->metaObject()->inherits(want))
                Error(f.line, f.element,
                      QStringLiteral("%1 is a %2, property %3 needs a %4")
                          .arg(f.reference, ClassOf(ref), QString::fromLatin1(f.property.name()),
                               QString::fromLatin1(want->className())));
            if (!f.target || !f.property.write(f.target, QVariant::fromValue(ref)))
                Error(f.line, f.element,
                      QStringLiteral("property %1 did not take %2")
                          .arg(QString::fromLatin1(f.property.name()), f.reference));
        }
    }

    void BindEvents() {
        for (const EventFixup& f : events_) {
            const TEventRegistry::Binder* bind = f.target ? TEventRegistry::Find(f.target->metaObject(), f.event) : nullptr;
            if (!bind)
                Error(f.line, f.element,
                      QStringLiteral("%1 has no event %2").arg(f.target ? ClassOf(f.target) : QString(), f.event));
            const QByteArray signature = f.handler.toLatin1() + "(QObject*)";
            const int index = root_ ? root_->metaObject()->indexOfMethod(signature.constData()) : -1;
            if (index < 0)
                Error(f.line, f.element,
                      QStringLiteral("the window has no handler %1(QObject* sender)").arg(f.handler));
            const QMetaMethod method = root_->metaObject()->method(index);
            QObject* window = root_;
            (*bind)(f.target, TNotifyEvent(window, "slot:" + signature, [window, method](QObject* sender) {
                        method.invoke(window, Qt::DirectConnection, Q_ARG(QObject*, sender));
                    }));
        }
    }

    QWidget* root_;
    QString file_;
    TLayout* layout_ = nullptr;
    QList<QPointer<QObject>> created_;
    QList<EventFixup> events_;
    QSet<QString> names_;
    QList<Fixup> fixups_;
};

TLayout LoadLayoutText(QWidget* root, const QString& text, const QString& fileName) {
    return TLayoutReader(root, fileName).Read(text);
}

TLayout LoadLayout(QWidget* root, const QString& fileName) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw ELayoutError(fileName, 0, QString(), QStringLiteral("cannot open: %1").arg(f.errorString()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(f.readAll());
    if (utf8.hasError())
        throw ELayoutError(fileName, 0, QString(), QStringLiteral("the file is not UTF-8 text"));
    return LoadLayoutText(root, text, fileName);
}

// ---- events ----

bool TEventRegistry::Register(const QMetaObject* cls, const QString& event, Binder binder) {
    EventBinders()[QByteArray(cls->className())].insert(event.toLower(), std::move(binder));
    return true;
}

const TEventRegistry::Binder* TEventRegistry::Find(const QMetaObject* cls, const QString& event) {
    const QString key = event.toLower();
    for (const QMetaObject* m = cls; m; m = m->superClass()) {
        const auto it = EventBinders().constFind(QByteArray(m->className()));
        if (it != EventBinders().constEnd()) {
            const auto e = it->constFind(key);
            if (e != it->constEnd())
                return &*e;
        }
    }
    return nullptr;
}
