// What assistive technology learns about the window's frames: it walks Qt's
// accessibility tree, as a screen reader or an accessibility-driven test does.
#include "window_fixture.h"

#include <QAccessible>
#include <QGroupBox>
#include <QMap>

using namespace testing_support;

namespace {

// Every interface below root, depth first.
void collect(QAccessibleInterface* root, QList<QAccessibleInterface*>& out) {
    for (int i = 0; i < root->childCount(); ++i) {
        if (QAccessibleInterface* child = root->child(i)) {
            out.append(child);
            collect(child, out);
        }
    }
}

QAccessibleInterface* groupNamed(const QList<QAccessibleInterface*>& all, const QString& name) {
    for (auto* a : all)
        if (a->role() == QAccessible::Grouping && a->text(QAccessible::Name) == name) return a;
    return nullptr;
}

} // namespace

TEST_F(WindowTest, EveryFrameIsAnnouncedByItsOwnCaption) {
    QList<QAccessibleInterface*> all;
    collect(QAccessible::queryAccessibleInterface(window.get()), all);

    QMap<QObject*, QAccessibleInterface*> byObject;
    for (auto* a : all) byObject.insert(a->object(), a);
    const auto frames = window->findChildren<QGroupBox*>();
    ASSERT_FALSE(frames.isEmpty());
    for (QGroupBox* frame : frames) {
        const std::string name = frame->objectName().toStdString();
        QAccessibleInterface* a = byObject.value(frame);
        ASSERT_NE(a, nullptr) << name << " is missing from the accessibility tree";
        EXPECT_EQ(a->role(), QAccessible::Grouping) << name;
        // An untitled frame has nothing to announce, not the caption of the frame around it.
        EXPECT_EQ(a->text(QAccessible::Name).toStdString(), frame->title().toStdString()) << name;
    }
}

TEST_F(WindowTest, AnOptionIsFoundInsideItsFrameByName) {
    QList<QAccessibleInterface*> all;
    collect(QAccessible::queryAccessibleInterface(window.get()), all);
    struct Case {
        const char* frame;
        const char* option;
        const char* control;
    };
    const Case cases[] = {
        {"Texture Quality", "16 Bit Textures", "opt_texture_16"},
        {"Character Textures", "Lowest", "chr_text_3"},
        {"Dynamic Lights", "Models Only", "opt_dl_mo"},
        {"Color", "32 Bit", "Option2"},
        {"Number Of Runs", "Two Runs Per Setting", "run2"},
    };
    for (const auto& c : cases) {
        QAccessibleInterface* group = groupNamed(all, QString::fromLatin1(c.frame));
        ASSERT_NE(group, nullptr) << c.frame;
        QList<QAccessibleInterface*> inside;
        collect(group, inside);
        QObject* found = nullptr;
        for (auto* a : inside)
            if (a->role() == QAccessible::RadioButton &&
                a->text(QAccessible::Name) == QString::fromLatin1(c.option))
                found = a->object();
        ASSERT_NE(found, nullptr) << c.option << " in " << c.frame;
        EXPECT_EQ(found->objectName().toStdString(), c.control) << c.frame;
    }
}
