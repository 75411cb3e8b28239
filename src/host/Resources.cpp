#include "host/Resources.h"

namespace {

struct ResourceChain {
  std::map<std::string, std::map<int, std::string>> strings;  // language -> id -> text
  std::string language = "en";
  std::map<int, std::string> sounds;
  HostResources::sound_player_t player;

  static ResourceChain& Instance() {
    static ResourceChain chain;
    return chain;
  }

  const std::string* Find(const std::string& lang, int id) const {
    const auto table = strings.find(lang);
    if (table == strings.end()) return nullptr;
    const auto text = table->second.find(id);
    return text == table->second.end() ? nullptr : &text->second;
  }
};

}  // namespace

void HostResources::AddStrings(const std::string& language,
                               const std::map<int, std::string>& texts) {
  auto& table = ResourceChain::Instance().strings[language];
  for (const auto& [id, text] : texts) table[id] = text;
}

void HostResources::RemoveStrings(int first, int last) {
  for (auto& [language, table] : ResourceChain::Instance().strings)
    table.erase(table.lower_bound(first), table.upper_bound(last));
}

std::string HostResources::String(int id) {
  const ResourceChain& chain = ResourceChain::Instance();
  if (const std::string* text = chain.Find(chain.language, id)) return *text;
  if (const std::string* text = chain.Find("en", id)) return *text;
  return {};
}

bool HostResources::HasString(int id) {
  const ResourceChain& chain = ResourceChain::Instance();
  return chain.Find(chain.language, id) != nullptr || chain.Find("en", id) != nullptr;
}

const std::string& HostResources::DisplayLanguage() {
  return ResourceChain::Instance().language;
}

void HostResources::SetDisplayLanguage(const std::string& language) {
  ResourceChain::Instance().language = language;
}

void HostResources::AddSound(int resourceId, const std::string& name) {
  ResourceChain::Instance().sounds[resourceId] = name;
}

void HostResources::SetSoundPlayer(sound_player_t player) {
  ResourceChain::Instance().player = std::move(player);
}

bool HostResources::PlaySoundResource(int resourceId) {
  const ResourceChain& chain = ResourceChain::Instance();
  const auto sound = chain.sounds.find(resourceId);
  if (sound == chain.sounds.end()) return false;
  if (chain.player) chain.player(resourceId, sound->second);
  return true;
}
