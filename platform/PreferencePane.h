// The base class of a preference pane, and what the host hands it: its
// bundle, its controls (bound to outlets by name) and the services.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Controls.h"
#include "platform/Locations.h"
#include "platform/PropertyList.h"

namespace platform {

// The pane's bundle: its folder and the values of its Info.plist.
class Bundle {
public:
    Bundle() = default;
    Bundle(std::string path, PropertyDictionary info) : path_(std::move(path)), info_(std::move(info)) {}
    const std::string& path() const { return path_; }
    std::optional<std::string> infoValue(std::string_view key) const { return info_.string(key); }
    const PropertyDictionary& info() const { return info_; }

private:
    std::string path_;
    PropertyDictionary info_;
};

// An outlet: a named reference to a control of one kind, set by the host.
class Outlet {
public:
    template <class ControlType>
    Outlet(std::string name, ControlType*& slot)
        : name_(std::move(name)), kind_(ControlType::kKind),
          bind_([&slot](Control* control) { slot = static_cast<ControlType*>(control); }) {}

    const std::string& name() const { return name_; }
    ControlKind kind() const { return kind_; }
    // The host has checked that the control is of kind().
    void bind(Control* control) const { bind_(control); }

private:
    std::string name_;
    ControlKind kind_;
    std::function<void(Control*)> bind_;
};

// An action: a named method that a control sends with itself as sender.
struct Action {
    std::string name;  // ends in a colon, as in "applyNow:"
    std::function<void(Control* sender)> send;
};

// Answers of shouldUnselect.
inline constexpr int kUnselectCancel = 0;
inline constexpr int kUnselectNow = 1;

class PreferencePane {
public:
    virtual ~PreferencePane() = default;

    virtual void willSelect() {}
    virtual int shouldUnselect() { return kUnselectNow; }
    virtual void didUnselect() {}

    // One table each, in declared order.
    virtual std::vector<Outlet> outlets() = 0;
    virtual std::vector<Action> actions() = 0;

    // Called by the host before the pane is first selected. The registry is
    // where the pane finds its driver service; the host passes another one
    // only when it was started with one (tests, demos).
    void attach(Bundle bundle, Services& services, std::string serviceRegistry = kServiceRegistryPath) {
        bundle_ = std::move(bundle);
        services_ = &services;
        serviceRegistry_ = std::move(serviceRegistry);
    }
    const Bundle& bundle() const { return bundle_; }
    Services& services() const { return *services_; }
    const std::string& serviceRegistry() const { return serviceRegistry_; }

private:
    Bundle bundle_;
    Services* services_ = nullptr;
    std::string serviceRegistry_ = kServiceRegistryPath;
};

}  // namespace platform

// The one function a pane library exports: creates its principal class by
// name (NSPrincipalClass of Info.plist), or returns null for another name.
extern "C" {
typedef platform::PreferencePane* (*PreferencePaneFactory)(const char* principalClass);
}
inline constexpr const char* kPreferencePaneFactorySymbol = "NimbrelCreatePreferencePane";

#define NIMBREL_PREFERENCE_PANE_FACTORY(ClassName)                                                   \
    extern "C" __attribute__((visibility("default"))) platform::PreferencePane*                        \
    NimbrelCreatePreferencePane(const char* principalClass) {                                         \
        return std::string_view(principalClass) == #ClassName ? new ClassName() : nullptr;             \
    }
