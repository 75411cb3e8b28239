#pragma once
// The resource chain: string tables and sounds that libraries add when they are loaded, so
// the operator texts of every module come from one place. A string table is per language; a
// text missing from the display language's table is taken from the English one. Other
// languages are added as further tables of the same ids.

#include <functional>
#include <map>
#include <string>

namespace HostResources {

// Adds (or replaces) texts of a language ("en" is the fallback of every other language).
void AddStrings(const std::string& language, const std::map<int, std::string>& texts);
// Removes every text of every language whose id is in [first, last] (a library unloading).
void RemoveStrings(int first, int last);
// The text of `id` in the display language, else in English; "" when neither has it.
std::string String(int id);
bool HasString(int id);

// The language operator texts are shown in ("en" at start).
const std::string& DisplayLanguage();
void SetDisplayLanguage(const std::string& language);

// Sounds: a library names its wave resources; the application installs the player that makes
// them heard (a terminal bell, a sound card, a test's counter). Playing is asynchronous: the
// call returns at once. Without a player nothing is heard.
using sound_player_t = std::function<void(int resourceId, const std::string& name)>;
void AddSound(int resourceId, const std::string& name);
void SetSoundPlayer(sound_player_t player);
// Plays the wave resource; false when no library added a sound with that id.
bool PlaySoundResource(int resourceId);

}  // namespace HostResources
