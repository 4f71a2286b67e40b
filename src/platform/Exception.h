// The class library's exception: a message that the event handlers report in their error box.
#pragma once

#include "platform/Text.h"
#include <stdexcept>

class Exception : public std::runtime_error
{
public:
    explicit Exception(const AnsiString &message) : std::runtime_error(message) {}
    AnsiString Message() const { return what(); }
};

class EFOpenError : public Exception { using Exception::Exception; };
class EFCreateError : public Exception { using Exception::Exception; };
class EConvertError : public Exception { using Exception::Exception; };
class EListError : public Exception { using Exception::Exception; };
class ERegistryException : public Exception { using Exception::Exception; };
