#include "state/output_file.h"

#include "state/folder_checks.h"
#include "text/catalogue.h"

namespace marlo {

bool MakeRoomForOutput(ConversionContext& form, const std::string& path) {
    if (form.fileSystem.FileExists(path)) {
        if (!CanEditFile(form, path)) {
            form.Fail(MessageWithPath(msg::FileIsReadOnly, path), MessageIcon::Critical);
            return false;
        }
        form.fileSystem.DeleteFile(path);
    }
    if (form.fileSystem.FileExists(path)) {
        form.Fail(MessageText(msg::UnableToUpdate) + path, MessageIcon::None);
        return false;
    }
    return true;
}

}  // namespace marlo
