#pragma once
// The exception of the melody conversion. It carries the complete text shown
// to the user and written to the log. Thrown by value, caught by reference.

#include <string>
#include <utility>

class CEMSError {
public:
    explicit CEMSError(std::string message) : m_strMessage(std::move(message)) {}
    CEMSError(const CEMSError&) = default;
    CEMSError& operator=(const CEMSError&) = default;
    virtual ~CEMSError() = default;

    std::string m_strMessage;
};
