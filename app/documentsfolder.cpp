#include "app/documentsfolder.h"

#include <system_error>

bool DocumentsFolder::Enter()
{
    const std::filesystem::path documents = UserDocuments();
    if (documents.empty())
        return false;
    const std::filesystem::path folder = documents / "MORVA_Reporter";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!error)
        std::filesystem::current_path(folder, error);
    return !error;
}
