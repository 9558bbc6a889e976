// Keeps lorvane_ui non-empty before the editor and views exist.
