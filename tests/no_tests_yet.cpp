// Placeholder translation unit for a test folder that has no tests yet.
