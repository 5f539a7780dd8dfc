#include "launcher/GatehopInstaller.h"

#include <system_error>

namespace fs = std::filesystem;

namespace ravelin {

GatehopInstaller::GatehopInstaller(Dialogs& dialogs, Registry& registry, std::vector<fs::path> sources,
                                   std::vector<fs::path> gameFolders)
    : m_dialogs(dialogs), m_registry(registry), m_sources(std::move(sources)), m_gameFolders(std::move(gameFolders))
{}

std::string GatehopInstaller::instructions()
{
    return "Now you must setup your server launcher to point to Gatehop in your Quake3 directory instead of "
           "ioq3ded\r\n\r\n"
           "If your server launcher does not allow you to change the target from ioq3ded, just rename ioq3ded to "
           "ioq3dedb, then rename Gatehop(the one in your Quake directory) to ioq3ded. Make sure you change "
           "\\\\HKEY_LOCAL_MACHINE\\SOFTWARE\\ID\\QUAKE3\\INSTALLEXEPATH in ~/.config/Ravelin/registry.ini to "
           "reflect these changes.\r\n\r\n"
           "After that, when you start a new server, instead of launching the Quake III:Arena console, Ravelin will "
           "launch!";
}

fs::path GatehopInstaller::shimSource() const
{
    std::error_code ec;
    for (const auto& source : m_sources)
        if (!source.empty() && fs::is_regular_file(source, ec))
            return source;
    return {};
}

fs::path GatehopInstaller::Install()
{
    const std::string proposed = GetGameInstallPath(m_registry, m_gameFolders, [](const fs::path& folder) {
        std::error_code ec;
        return fs::is_directory(folder, ec);
    });
    const auto answer = m_dialogs.prompt(kPrompt, kTitle, proposed);
    if (!answer || answer->empty())
        return {};

    // A copy that did not happen is said so: instructions to point a
    // launcher at a file that is not there would leave the server unstartable.
    const fs::path source = shimSource();
    const fs::path target = fs::path(*answer) / kTargetName;
    std::error_code ec;
    std::string failure;
    if (source.empty())
        failure = "the Gatehop program is missing from Ravelin's folders";
    else if (!fs::is_directory(*answer, ec))
        failure = "there is no folder " + *answer;
    else if (fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec); ec)
        failure = ec.message();
    else if (fs::permissions(target,
                             fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec
                                 | fs::perms::others_read | fs::perms::others_exec,
                             fs::perm_options::replace, ec);
             ec)
        failure = ec.message();
    if (!failure.empty()) {
        m_dialogs.messageBox("Gatehop could not be copied to " + target.string() + ": " + failure + ".",
                             Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
        return {};
    }
    m_dialogs.messageBox(instructions());
    return target;
}

} // namespace ravelin
