// The plug-in's one exported entry: the host creates the principal class
// named in Info.plist through it.
#include "pane/Nimbrel80211bPreferencePane.h"

NIMBREL_PREFERENCE_PANE_FACTORY(Nimbrel80211bPreferencePane)
