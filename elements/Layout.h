#pragma once
// Window layouts and the class registry.
//
// A layout is an ordered text:
//
//   object FormMnemo: TFormMnemo          // the window itself (must be its class)
//     Caption = 'Мнемосхема'
//     object OutField_PLS: TOutField      // created by class name, owned by the window
//       Left = 1058
//       OutFormat = '###0 кг/м'
//       Pen.Color = clAqua                // sub-object property, through its setter
//       Font.Style = [fsBold]
//       VAlign = vm_VAlignBottom          // enumerations by name
//       object Label17: TLabel            // child widget of OutField_PLS
//         Caption = '3'
//       end
//     end
//     object Arrow1: TArrow
//       NextArrow = Arrow2                // a reference, resolved after the whole file
//       BubbleList.Strings = ( '1' '5' )  // string lists, over several lines if wished
//     end
//   end
//
// Values: integers (decimal, "$" or "0x" hexadecimal), floats with a point,
// True/False, colour names (clRed) on integer properties, enumeration names,
// sets [a, b], texts in single quotes ('' is a quote; #1066 a character code;
// parts joined by +), lists ( ... ) of texts. "//" starts a comment line, also
// between the lines of a list. A line "Name = 'X'" renames the component; like a
// declared name, X must be free.
//
// Properties are applied in file order through the meta-object, so each runs the
// same setter as at run time. Errors name the file, the line and the element and
// are thrown as ELayoutError; the components created so far are deleted then.

#include "ElementBase.h"

#include <QHash>
#include <functional>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <stdexcept>
#include <type_traits>

class ELayoutError : public std::runtime_error {
public:
    ELayoutError(QString file, int line, QString element, QString message);
    const QString& File() const { return file_; }
    int Line() const { return line_; }
    const QString& Element() const { return element_; }
    const QString& Message() const { return message_; }
    // "file:line: element: message"
    QString Text() const { return QString::fromUtf8(what()); }

private:
    QString file_;
    int line_;
    QString element_;
    QString message_;
};

// Classes a layout can create, by name. Every element unit registers its classes
// with ORDAL_REGISTER_CLASS(TName) in its .cpp; the name is the class's own, so
// that the windows' tests of the exact class name (metaObject()->className())
// see the name the layout used. Widgets are created as children of the
// enclosing object, other components as children of the window.
class TClassRegistry {
public:
    using Factory = QObject* (*)(QObject* parent);
    static bool Register(const QString& name, const QMetaObject* meta, Factory factory);
    static bool Contains(const QString& name);
    static const QMetaObject* MetaObject(const QString& name);
    static QStringList Names();
    // nullptr for an unknown name.
    static QObject* Create(const QString& name, QObject* parent);
};

template <class T> QObject* CreateComponent(QObject* parent) {
    if constexpr (std::is_base_of_v<QWidget, T>)
        return new T(qobject_cast<QWidget*>(parent));
    else
        return new T(parent);
}

#define ORDAL_REGISTER_CLASS(Class)                                                                          \
    namespace {                                                                                              \
    [[maybe_unused]] const bool registered_##Class =                                                         \
        TClassRegistry::Register(QStringLiteral(#Class), &Class::staticMetaObject, &CreateComponent<Class>); \
    }

// Events a layout binds by name: a line "OnClick = ButReloadClick" inside a
// component makes the window's slot ButReloadClick(QObject* sender) that
// component's handler (the window declares it under Q_SLOTS). A class offers
// an event with ORDAL_REGISTER_EVENT(TClass, OnClick) in its .cpp, which calls
// its SetOnClick(TNotifyEvent); derived classes inherit their bases' events.
class TEventRegistry {
public:
    using Binder = std::function<void(QObject* component, TNotifyEvent handler)>;
    static bool Register(const QMetaObject* cls, const QString& event, Binder binder);
    // The binder of the class or its nearest base that has the event; nullptr when none.
    static const Binder* Find(const QMetaObject* cls, const QString& event);
};

#define ORDAL_REGISTER_EVENT(Class, Event)                                                                   \
    namespace {                                                                                              \
    [[maybe_unused]] const bool registered_##Class##_##Event = TEventRegistry::Register(                     \
        &Class::staticMetaObject, QStringLiteral(#Event),                                                    \
        [](QObject* c, TNotifyEvent h) { static_cast<Class*>(c)->Set##Event(std::move(h)); });               \
    }

// A component that takes the components placed inside it in a layout although
// they are no widgets (a pop-up menu its commands): the loader creates them as
// components of the window and then hands each to the enclosing one.
class TComponentContainer {
public:
    virtual ~TComponentContainer() = default;
    virtual void InsertComponent(QObject* component) = 0;
};

// The window's components in creation (file) order: "for every component of the
// window". Layouts fill it; code that creates a component itself may add it.
QList<QObject*> Components(const QObject* owner);
void AddComponent(QObject* owner, QObject* component);
// The component of owner with that name (without regard to case), or nullptr.
QObject* FindComponent(const QObject* owner, const QString& name);

// What a layout created.
class TLayout {
public:
    QList<QObject*> components; // in file order, the window itself not included

    QObject* Find(const QString& name) const { return byName_.value(name.toLower()); }
    // The component of that name and class; throws ELayoutError when there is
    // none, so a window binding its members fails loudly at construction.
    template <class T> T* Get(const QString& name) const {
        T* c = qobject_cast<T*>(Find(name));
        if (!c)
            throw ELayoutError(file_, 0, name,
                               QStringLiteral("no component of class %1 with this name")
                                   .arg(QString::fromLatin1(T::staticMetaObject.className())));
        return c;
    }

private:
    friend class TLayoutReader;
    QString file_;
    QHash<QString, QObject*> byName_;
};

// Reads a layout file (a resource path such as ":/layouts/FormMnemo.layout"
// works too) into root, the window whose class the file's first object names.
TLayout LoadLayout(QWidget* root, const QString& fileName);
// The same from a text; fileName only names it in errors.
TLayout LoadLayoutText(QWidget* root, const QString& text, const QString& fileName);
