#include "app/documentsfolder.h"

#include <glib.h>

std::filesystem::path DocumentsFolder::UserDocuments()
{
    // The desktop's documents directory (XDG_DOCUMENTS_DIR of the user's
    // user-dirs.dirs, as xdg-user-dir DOCUMENTS names it), else ~/Documents.
    if (const gchar* documents = g_get_user_special_dir(G_USER_DIRECTORY_DOCUMENTS))
        return std::filesystem::path(documents);
    return std::filesystem::path(g_get_home_dir()) / "Documents";
}
