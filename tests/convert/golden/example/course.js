// What the course player needs to know of this course, written by the converter.
window.rdCourse = {
  "passMark": 80,
  "hideAnswers": false,
  "attempts": 0,
  "shuffle": false,
  "title": "Safety",
  "lang": "en",
  "document": "example.txt",
  "documentHash": "HASH",
  "files": [
    {},
    {"page": "page2.htm"},
    {"test": "test1.htm", "data": "testdata1.htm"},
    {"page": "page5.htm"}
  ],
  "targets": "ims scorm12 scorm2004 cmi5"
};
