#pragma once
#include <string>

// One theme of the kit: its folder name in lower case and what its descriptor says.
class KitItem {
public:
    KitItem(std::string name, std::string title, double version)
        : m_name(std::move(name)), m_title(std::move(title)), m_themeVersion(version)
    {
    }
    std::string GetTitle() const { return m_title; }
    double GetVersion() const { return m_themeVersion; }

private:
    std::string m_name;
    std::string m_title;
    double m_themeVersion;
};
