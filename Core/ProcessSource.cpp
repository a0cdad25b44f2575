#include "Core/ProcessSource.hpp"

#include "Core/Numbers.hpp"
#include "Core/Text.hpp"

namespace corvane {

std::string ProcessSample::name() const
{
    return Text::lastPathComponent(path);
}

SamplerError::SamplerError(int32_t status)
    : status_(status), message_("psFailed(" + Numbers::toText(status) + ")")
{
}

} // namespace corvane
