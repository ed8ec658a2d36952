#include "InputResult.h"

#include "FileError.h"
#include "Messages.h"
#include "Platform.h"

#include <new>

InputResult ResultOf(const std::string& input, const std::function<void(InputResult&)>& work) {
    InputResult result;
    result.input = input;
    try {
        if (input.empty())
            throw std::runtime_error(Messages::EmptyName());
        work(result);
        result.ok = result.error.empty();
    } catch (const std::bad_alloc&) {
        result.error = Messages::NotEnoughMemory();
    } catch (const FileError& e) {
        result.error = e.what();
        result.outOfHandles =
            e.GetCause() == FileError::Cause::System && Platform::IsOutOfHandles(e.SystemCode());
    } catch (const std::exception& e) {
        // The run's own refusals, and the file system library's errors (a vanished folder).
        result.error = e.what();
    }
    return result;
}
