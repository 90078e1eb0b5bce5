#include "app/documentsfolder.h"

#include <glib.h>

std::filesystem::path DocumentsFolder::UserDocuments()
{
    // The XDG documents directory, or the home folder where none is set.
    const gchar* documents = g_get_user_special_dir(G_USER_DIRECTORY_DOCUMENTS);
    return documents ? std::filesystem::path(documents) : std::filesystem::path(g_get_home_dir());
}
