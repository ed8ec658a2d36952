#include "Arguments.h"

#include "Terminal.h"

bool Arguments::Usable() const {
    if (m_refusal)
        Terminal::Write(stderr, *m_refusal + "\n");
    return !m_refusal;
}

void Arguments::PointAtArguments() {
    for (std::string& argument : m_arguments)
        m_pointers.push_back(argument.data());
    m_pointers.push_back(nullptr);
}
