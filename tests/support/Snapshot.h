#pragma once
// Snapshots of forms for the `visual` test: each registered function builds a widget with sample
// data; vkt_snapshots shows it in a real X server and writes <name>.png.
//
//   VKT_SNAPSHOT(splash) { auto* w = new TSplash(...); return w; }
//
// The function owns nothing afterwards: the runner deletes the widget it returns.
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace vkttest {

struct SnapshotEntry {
    std::string name;
    std::function<QWidget*()> make;
};

std::vector<SnapshotEntry>& Snapshots();

struct SnapshotRegistrar {
    SnapshotRegistrar(const char* name, std::function<QWidget*()> make)
    {
        Snapshots().push_back({name, std::move(make)});
    }
};

} // namespace vkttest

#define VKT_SNAPSHOT(name)                                                                        \
    static QWidget* VktSnapshot_##name();                                                         \
    static const vkttest::SnapshotRegistrar vktSnapshotRegistrar_##name(#name, VktSnapshot_##name); \
    static QWidget* VktSnapshot_##name()
