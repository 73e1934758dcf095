// The Bill of Materials command.
