// Placeholder: the driver library is filled by game preparation.
