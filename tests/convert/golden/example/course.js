// What the course player needs to know of this course, written by the converter.
window.rdCourse = {
  "passMark": 80,
  "lang": "en",
  "document": "example.txt",
  "documentHash": "HASH"
};
