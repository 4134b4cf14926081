#include "sandbox/LanguagePack.h"

const LanguagePack& RussianLanguagePack() {
    static const LanguagePack pack = {
        {"&Visibility Level", "&Уровень видимости"},
        {"&OK", "&ОК"},
        {"Close", "Закрыть"},
        {"Always visible", "Всегда виден"},
        {"Visibility 1", "Видимость 1"},
        {"Visibility 2", "Видимость 2"},
        {"Visibility 3", "Видимость 3"},
        {"Visibility 4", "Видимость 4"},
        {"Visibility 5", "Видимость 5"},
        {"Never visible", "Никогда не виден"},
    };
    return pack;
}

void LoadLanguagePack(SandboxHost& host, const LanguagePack& pack, UINT codePage) {
    for (const auto& [english, translation] : pack) host.AddTranslation(english, translation);
    host.SetLanguagePackCodePage(codePage);
}
